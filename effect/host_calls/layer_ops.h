#pragma once
// The SmartFX callbacks: the pre-render's request for a layer, then the render's pixels of the
// checked-out layer and the output world.

#include "hostapi/host_api.h"

namespace velmora {

// The pre-render's request for a layer, at in_data's current time.
PF_Err CheckoutLayer(const PF_InData* in_data, PF_PreRenderExtra* extra, PF_ParamIndex index,
                     A_long checkout_id, const PF_RenderRequest& request,
                     PF_CheckoutResult* result);
// The render's pixels of a checked-out layer; *world is null when the host has none.
PF_Err CheckoutLayerPixels(const PF_InData* in_data, PF_SmartRenderExtra* extra, A_long checkout_id,
                           PF_EffectWorld** world);
PF_Err CheckinLayer(const PF_InData* in_data, PF_SmartRenderExtra* extra, A_long checkout_id);
PF_Err CheckoutOutput(const PF_InData* in_data, PF_SmartRenderExtra* extra,
                      PF_EffectWorld** output);

}  // namespace velmora
