#include "effect/render/release.h"

#include "effect/host_calls/layer_ops.h"
#include "effect/host_calls/world_ops.h"

namespace velmora {

PF_Err ReleaseRender(RenderState& state) {
  PF_Err first = state.err;
  const auto keep_first = [&first](PF_Err err) {
    if (first == PF_Err_NONE) first = err;
  };

  for (HostWorld* world : {&state.source_world, &state.backdrop_world, &state.glow_world,
                           &state.source_copy_world, &state.level_world, &state.tint_world}) {
    if (world->exists()) keep_first(DisposeWorld(*state.suites, world));
  }
  // The pre-render byte stays the host's: it frees it through the delete function we gave.
  state.layer_sized = nullptr;
  // A refused release is reported even after a good frame: the host says something is wrong.
  if (state.world_suite) keep_first(state.world_suite->Release());
  state.world_suite.reset();
  if (state.input_requested) {
    keep_first(CheckinLayer(state.in_data, state.extra, 0));
    state.input_requested = false;
    state.input = nullptr;
  }
  state.err = first;
  return first;
}

}  // namespace velmora
