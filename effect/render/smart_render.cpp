// SmartRender: one frame's road through the render stages. Each stage returns whether the road
// goes on (the running error says why it stopped), and every exit gives back all it holds
// through ReleaseRender.

#include "effect/host_calls/suite_handler.h"
#include "effect/render/glow_levels.h"
#include "effect/render/glow_worlds.h"
#include "effect/render/release.h"
#include "effect/render/render_commands.h"
#include "effect/render/render_setup.h"
#include "effect/render/tint_finish.h"

namespace velmora {

PF_Err SmartRender(PF_InData* in_data, PF_OutData* out_data, PF_SmartRenderExtra* extra) {
  SuiteHandler suites(in_data->pica_basicP);
  RenderState state;
  state.in_data = in_data;
  state.out_data = out_data;
  state.extra = extra;
  state.suites = &suites;

  try {
    SetupRender(state) && MakeGlowWorlds(state) && AccumulateGlowLevels(state) &&
        TintAndFinish(state);
  } catch (const MissingSuite& missing) {
    // A suite the host refuses midway: give back what is held, then report it.
    if (state.err == PF_Err_NONE) state.err = missing.err;
  }
  return ReleaseRender(state);
}

}  // namespace velmora
