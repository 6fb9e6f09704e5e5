#include "effect/host_calls/layer_ops.h"

namespace velmora {

PF_Err CheckoutLayer(const PF_InData* in_data, PF_PreRenderExtra* extra, PF_ParamIndex index,
                     A_long checkout_id, const PF_RenderRequest& request,
                     PF_CheckoutResult* result) {
  return extra->cb->checkout_layer(in_data->effect_ref, index, checkout_id, &request,
                                   in_data->current_time, in_data->time_step, in_data->time_scale,
                                   result);
}

PF_Err CheckoutLayerPixels(const PF_InData* in_data, PF_SmartRenderExtra* extra, A_long checkout_id,
                           PF_EffectWorld** world) {
  *world = nullptr;
  return extra->cb->checkout_layer_pixels(in_data->effect_ref, checkout_id, world);
}

PF_Err CheckinLayer(const PF_InData* in_data, PF_SmartRenderExtra* extra, A_long checkout_id) {
  return extra->cb->checkin_layer_pixels(in_data->effect_ref, checkout_id);
}

PF_Err CheckoutOutput(const PF_InData* in_data, PF_SmartRenderExtra* extra,
                      PF_EffectWorld** output) {
  *output = nullptr;
  return extra->cb->checkout_output(in_data->effect_ref, output);
}

}  // namespace velmora
