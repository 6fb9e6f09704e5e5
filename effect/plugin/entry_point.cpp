#include "effect/plugin/entry_point.h"

#include <new>

#include "effect/host_calls/missing_suite.h"
#include "effect/params/params_setup.h"
#include "effect/params/tint_controls.h"
#include "effect/plugin/global.h"
#include "effect/plugin/sequence.h"
#include "effect/render/render_commands.h"

namespace velmora {
namespace {

PF_Err Dispatch(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                PF_LayerDef* output, void* extra) {
  // Unsigned, so a negative selector is simply one more command we do not answer.
  switch (static_cast<A_u_long>(cmd)) {
    case PF_Cmd_ABOUT:
      return About(in_data, out_data, params, output);
    case PF_Cmd_GLOBAL_SETUP:
      return GlobalSetup(in_data, out_data, params, output);
    case PF_Cmd_GLOBAL_SETDOWN:
      return GlobalSetdown(in_data);
    case PF_Cmd_PARAMS_SETUP:
      return ParamsSetup(in_data, out_data, params, output);
    case PF_Cmd_SEQUENCE_SETUP:
      return SequenceSetup(in_data, out_data);
    case PF_Cmd_SEQUENCE_RESETUP:
      return SequenceResetup(in_data, out_data, params, output);
    case PF_Cmd_SEQUENCE_SETDOWN:
      return SequenceSetdown(in_data, out_data);
    case PF_Cmd_USER_CHANGED_PARAM:
      return UserChangedParam(in_data, out_data, params, output);
    case PF_Cmd_UPDATE_PARAMS_UI:
      return UpdateParamsUI(in_data, out_data, params, output);
    case PF_Cmd_SMART_PRE_RENDER:
      return SmartPreRender(in_data, out_data, static_cast<PF_PreRenderExtra*>(extra));
    case PF_Cmd_SMART_RENDER:
      return SmartRender(in_data, out_data, static_cast<PF_SmartRenderExtra*>(extra));
    default:
      return PF_Err_NONE;  // every other command succeeds and touches nothing
  }
}

}  // namespace
}  // namespace velmora

// Nothing may unwind into the host: a missing suite thrown below becomes the command's
// result, and any other exception the host's closest code.
extern "C" PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                 PF_ParamDef* params[], PF_LayerDef* output, void* extra) {
  try {
    return velmora::Dispatch(cmd, in_data, out_data, params, output, extra);
  } catch (const velmora::MissingSuite& missing) {
    return missing.err;
  } catch (const std::bad_alloc&) {
    return PF_Err_OUT_OF_MEMORY;
  } catch (...) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
}
