// An effect that hands the host pre-render data without a delete function: the host must
// neither free memory it did not allocate nor lose sight of it.
#include "hostapi/host_api.h"

namespace {
unsigned char layer_sized = 1;  // not heap memory: freeing it would crash the host
}

extern "C" PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*,
                                 void* extra) {
  if (cmd == PF_Cmd_SMART_PRE_RENDER)
    static_cast<PF_PreRenderExtra*>(extra)->output->pre_render_data = &layer_sized;
  return PF_Err_NONE;
}
