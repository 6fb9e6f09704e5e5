#include "effect/plugin/global.h"

#include "effect/host_calls/handle_ops.h"
#include "effect/host_calls/suite_handler.h"
#include "effect/host_calls/text_ops.h"
#include "effect/params/app_id.h"
#include "effect/params/string_table.h"
#include "effect/plugin/version.h"

namespace velmora {

PF_Err About(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
             PF_LayerDef* /*output*/) {
  if (IsPrMrHost(in_data)) return PF_Err_NONE;
  SuiteHandler suites(in_data->pica_basicP);
  // The name line and the description fit return_msg by construction (tested), so the
  // host's unbounded sprintf is safe here.
  FormatText(suites, out_data->return_msg, "%s, v%d.%d.%d\r%s", VELMORA_NAME, VELMORA_MAJOR,
             VELMORA_MINOR, VELMORA_PATCH, GetStringPtr(STR_DESCRIPTION));
  return PF_Err_NONE;
}

PF_Err GlobalSetup(PF_InData* /*in_data*/, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                   PF_LayerDef* /*output*/) {
  out_data->my_version = VELMORA_VERSION;
  out_data->out_flags = VELMORA_OUT_FLAGS;
  out_data->out_flags2 = VELMORA_OUT_FLAGS2;
  return PF_Err_NONE;
}

PF_Err GlobalSetdown(PF_InData* in_data) {
  SuiteHandler suites(in_data->pica_basicP);
  // Global setup makes no global data; a handle here is the host's to hand back to us.
  if (in_data->global_data) DisposeHandle(suites, in_data->global_data);
  return PF_Err_NONE;
}

}  // namespace velmora
