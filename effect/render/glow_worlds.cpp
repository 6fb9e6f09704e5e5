#include "effect/render/glow_worlds.h"

#include "effect/host_calls/transform_ops.h"
#include "effect/host_calls/world_ops.h"
#include "effect/render/checkpoint.h"
#include "effect/render/edge_extension.h"
#include "effect/render/pixel_depth.h"

namespace velmora {
namespace {

bool MakePlainCopies(RenderState& state) {
  if (!Checkpoint(state)) return false;
  const PF_Err made = VisitPixelDepth(state.pixel_format, [&state](auto depth) {
    using Depth = decltype(depth);
    const A_long width = state.output->width, height = state.output->height;
    PF_Err err = NewWorld(*state.suites, Depth::kWorldType, width, height, &state.glow_world);
    if (err == PF_Err_NONE) {
      err = NewWorld(*state.suites, Depth::kWorldType, width, height, &state.source_copy_world);
    }
    return err;
  });
  if (!Checkpoint(state, made)) return false;
  for (HostWorld* copy : {&state.source_copy_world, &state.glow_world}) {
    if (!Checkpoint(state, CopyRect(*state.suites, state.in_data, &state.source_world.world,
                                    &copy->world, nullptr, nullptr))) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool MakeGlowWorlds(RenderState& state) {
  return state.info.repeat_edges == 1 ? ExtendEdges(state) : MakePlainCopies(state);
}

}  // namespace velmora
