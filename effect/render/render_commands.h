#pragma once
// The two SmartFX commands the entry point hands to the render.

#include "hostapi/host_api.h"

namespace velmora {

PF_Err SmartPreRender(PF_InData* in_data, PF_OutData* out_data, PF_PreRenderExtra* extra);
PF_Err SmartRender(PF_InData* in_data, PF_OutData* out_data, PF_SmartRenderExtra* extra);

}  // namespace velmora
