#pragma once
// Declares the nine controls with the host, in index order.

#include "hostapi/host_api.h"

namespace velmora {

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                   PF_LayerDef* output);

}  // namespace velmora
