// The SmartFX callbacks: the input layer asked for during the pre-render, then its pixels and
// the output world during the render.
#include <algorithm>

#include "hostsim/serve.h"
#include "hostsim/suites/suites.h"

namespace hostsim {

namespace {

PF_Rect Intersect(const PF_Rect& a, const PF_Rect& b) {
  PF_Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
  if (r.left >= r.right || r.top >= r.bottom) r = PF_Rect{};
  return r;
}

PF_Err CheckoutLayer(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_id,
                     const PF_RenderRequest* request, A_long what_time, A_long time_step,
                     A_u_long time_scale, PF_CheckoutResult* result) {
  return Serve("checkout_layer", [&](HostServices& host) -> PF_Err {
    if (!host.IsEffectRef(effect_ref) || !request || !result) return PF_Err_BAD_CALLBACK_PARAM;
    if (host.command != PF_Cmd_SMART_PRE_RENDER) return PF_Err_BAD_CALLBACK_PARAM;
    host.layer_checkouts.push_back(
        {index, checkout_id, *request, what_time, time_step, time_scale});
    const LayerAnswer& answer = host.layer_answer;
    if (answer.checkout_error) return answer.checkout_error;
    if (index != 0) return PF_Err_INVALID_INDEX;  // the input is this effect's only layer
    if (checkout_id < 0) return PF_Err_BAD_CALLBACK_PARAM;
    const FrameState& frame = host.frame;
    PF_CheckoutResult answered{};
    answered.result_rect =
        answer.result_rect.value_or(Intersect(request->rect, frame.input_extent));
    answered.max_result_rect = answer.max_result_rect.value_or(frame.input_extent);
    answered.par = PF_RationalScale{1, 1};
    answered.ref_width = answer.ref_width.value_or(frame.full_width);
    answered.ref_height = answer.ref_height.value_or(frame.full_height);
    *result = answered;
    host.layer_checkouts.back().result = answered;
    host.frame.requested_ids.insert(checkout_id);
    return PF_Err_NONE;
  });
}

PF_Err GuidMixIn(PF_ProgPtr effect_ref, A_u_long, const void*) {
  return Serve("GuidMixInPtr", [&](HostServices& host) -> PF_Err {
    return host.IsEffectRef(effect_ref) ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
  });
}

// Pixels exist only for a layer the pre-render asked for, once per checkout id.
PF_Err CheckoutLayerPixels(PF_ProgPtr effect_ref, A_long checkout_id, PF_EffectWorld** pixels) {
  return Serve("checkout_layer_pixels", [&](HostServices& host) -> PF_Err {
    if (!host.IsEffectRef(effect_ref) || !pixels) return PF_Err_BAD_CALLBACK_PARAM;
    *pixels = nullptr;
    FrameState& frame = host.frame;
    if (host.command != PF_Cmd_SMART_RENDER || !frame.requested_ids.count(checkout_id) ||
        frame.pixels_out.count(checkout_id))
      return PF_Err_BAD_CALLBACK_PARAM;
    frame.pixels_out.insert(checkout_id);
    if (host.layer_answer.give_input_pixels && frame.has_input) *pixels = &frame.input;
    return PF_Err_NONE;
  });
}

// Checking in what is not out is harmless in the host; only unmatched checkouts are leaks.
PF_Err CheckinLayerPixels(PF_ProgPtr effect_ref, A_long checkout_id) {
  return ServeRelease("checkin_layer_pixels", [&](HostServices& host) -> PF_Err {
    auto& out = host.frame.pixels_out;
    if (auto found = out.find(checkout_id); found != out.end()) out.erase(found);
    return host.IsEffectRef(effect_ref) ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
  });
}

PF_Err CheckoutOutput(PF_ProgPtr effect_ref, PF_EffectWorld** output) {
  return Serve("checkout_output", [&](HostServices& host) -> PF_Err {
    if (!host.IsEffectRef(effect_ref) || !output) return PF_Err_BAD_CALLBACK_PARAM;
    *output = nullptr;
    if (host.command != PF_Cmd_SMART_RENDER || !host.frame.output) return PF_Err_BAD_CALLBACK_PARAM;
    *output = &host.frame.output->effect_world;
    return PF_Err_NONE;
  });
}

}  // namespace

PF_PreRenderCallbacks MakePreRenderCallbacks() {
  PF_PreRenderCallbacks callbacks{};
  callbacks.checkout_layer = CheckoutLayer;
  callbacks.GuidMixInPtr = GuidMixIn;
  return callbacks;
}

PF_SmartRenderCallbacks MakeSmartRenderCallbacks() {
  PF_SmartRenderCallbacks callbacks{};
  callbacks.checkout_layer_pixels = CheckoutLayerPixels;
  callbacks.checkin_layer_pixels = CheckinLayerPixels;
  callbacks.checkout_output = CheckoutOutput;
  return callbacks;
}

}  // namespace hostsim
