#pragma once
// The call record: one call the effect made to the host, with the arguments tests look at.
// The host keeps them in its journal.

#include <optional>
#include <string>

#include "hostapi/host_api.h"

namespace hostsim {

struct HostCall {
  std::string op;  // the host's own name: "copy", "copy_hq", "transfer_rect", "fill", "fill16",
                   // "fill_float", "premultiply", "AEGP_New", "AEGP_Dispose", "AEGP_FastBlur",
                   // "iterate8", "iterate16", "iterateFloat", "utils_fill", ...
  const void* src_world = nullptr;  // World* identities (null when not given)
  const void* dst_world = nullptr;
  std::optional<PF_Rect> src_rect, dst_rect;
  A_long dest_x = 0, dest_y = 0;
  PF_CompositeMode comp_mode{};
  PF_Quality quality = 0;
  PF_ModeFlags mode_flags = 0;
  PF_Field field = 0;
  double radius = 0.0;                           // fast blur
  std::optional<PF_PixelFloat> color;            // fill colour, channels as stored in the world
  A_long world_type = 0, width = 0, height = 0;  // AEGP_New
  const void* pixel_function = nullptr;          // iterate
};

}  // namespace hostsim
