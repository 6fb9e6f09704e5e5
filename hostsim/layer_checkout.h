#pragma once
// What the effect asked of the input layer during a pre-render, and how the host answers.

#include <optional>

#include "hostapi/host_api.h"

namespace hostsim {

// One call of the pre-render callback checkout_layer, as the effect made it.
struct LayerCheckout {
  PF_ParamIndex index = 0;
  A_long checkout_id = 0;
  PF_RenderRequest request{};
  A_long what_time = 0, time_step = 0;
  A_u_long time_scale = 0;
  PF_CheckoutResult result{};  // the host's answer (zero when the call failed)
};

// The host's answers to the layer callbacks. Unset fields are computed as the host does:
// result = the request's rectangle clipped to the input's extent (the input world placed at
// its origin), max = that whole extent, ref size = the layer at full resolution.
struct LayerAnswer {
  PF_Err checkout_error = PF_Err_NONE;  // returned by checkout_layer
  std::optional<PF_Rect> result_rect, max_result_rect;
  std::optional<A_long> ref_width, ref_height;
  bool give_input_pixels = true;  // false: checkout_layer_pixels succeeds with no world
};

}  // namespace hostsim
