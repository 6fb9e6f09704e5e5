#include "render/working_world.h"

#include "host/world_ops.h"
#include "render/checkpoint.h"
#include "render/pixel_depth.h"

namespace velmora {

bool NewWorkingWorld(RenderState& state, A_long width, A_long height, HostWorld* world) {
  return Carry(state, VisitPixelDepth(state.pixel_format, [&](auto depth) {
                 return NewWorld(*state.suites, depth.kWorldType, width, height, world);
               }));
}

}  // namespace velmora
