#include "effect/render/working_world.h"

#include "effect/host_calls/world_ops.h"
#include "effect/render/checkpoint.h"
#include "effect/render/pixel_depth.h"

namespace velmora {

bool NewWorkingWorld(RenderState& state, A_long width, A_long height, HostWorld* world) {
  return Carry(state, VisitPixelDepth(state.pixel_format, [&](auto depth) {
                 return NewWorld(*state.suites, depth.kWorldType, width, height, world);
               }));
}

}  // namespace velmora
