#pragma once
// Keeps the tint colour and tint mode controls enabled only while the tint checkbox is on,
// and asks the host to redraw the controls and render again.

#include "hostapi/host_api.h"

namespace velmora {

PF_Err UpdateTintControls(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[]);

// Both commands run the same update; neither needs to know which control changed.
PF_Err UpdateParamsUI(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                      PF_LayerDef* output);
PF_Err UserChangedParam(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                        PF_LayerDef* output);

}  // namespace velmora
