#pragma once
// Each instance's sequence data: one zero byte in a host handle, created, handed to the
// host and released; no command reads it.

#include "hostapi/host_api.h"

namespace velmora {

PF_Err SequenceSetup(PF_InData* in_data, PF_OutData* out_data);
PF_Err SequenceResetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                       PF_LayerDef* output);
PF_Err SequenceSetdown(PF_InData* in_data, PF_OutData* out_data);

}  // namespace velmora
