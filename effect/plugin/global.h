#pragma once
// The three global commands: about, global setup and global setdown.

#include "hostapi/host_api.h"

namespace velmora {

PF_Err About(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output);
PF_Err GlobalSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                   PF_LayerDef* output);
PF_Err GlobalSetdown(PF_InData* in_data);

}  // namespace velmora
