#include "effect/plugin/sequence.h"

#include "effect/host_calls/handle_ops.h"
#include "effect/host_calls/suite_handler.h"

namespace velmora {

PF_Err SequenceSetdown(PF_InData* in_data, PF_OutData* out_data) {
  if (!in_data->sequence_data) return PF_Err_NONE;
  SuiteHandler suites(in_data->pica_basicP);
  DisposeHandle(suites, in_data->sequence_data);
  // Never leave the host holding the handle just disposed.
  if (out_data->sequence_data == in_data->sequence_data) out_data->sequence_data = nullptr;
  return PF_Err_NONE;
}

PF_Err SequenceSetup(PF_InData* in_data, PF_OutData* out_data) {
  SuiteHandler suites(in_data->pica_basicP);
  SequenceSetdown(in_data, out_data);
  PF_Handle handle = NewHandle(suites, 1);
  if (!handle) return PF_Err_OUT_OF_MEMORY;
  auto* byte = static_cast<A_char*>(LockHandle(suites, handle));
  if (!byte) {
    // A handle we cannot fill is no use to the host: give it back, and say why.
    DisposeHandle(suites, handle);
    return PF_Err_OUT_OF_MEMORY;
  }
  *byte = 0;
  UnlockHandle(suites, handle);
  out_data->sequence_data = handle;
  return PF_Err_NONE;
}

PF_Err SequenceResetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                       PF_LayerDef* /*output*/) {
  if (in_data->sequence_data) return PF_Err_NONE;
  return SequenceSetup(in_data, out_data);
}

}  // namespace velmora
