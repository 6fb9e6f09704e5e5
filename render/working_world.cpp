#include "render/working_world.h"

#include "host/image_ops.h"
#include "render/pixel_depth.h"

namespace velmora {

PF_Err NewWorkingWorld(RenderState& state, A_long width, A_long height, HostWorld* world) {
  if (state.err != PF_Err_NONE) return state.err;
  state.err = VisitPixelDepth(state.pixel_format, [&](auto depth) {
    return NewWorld(*state.suites, depth.kWorldType, width, height, world);
  });
  return state.err;
}

}  // namespace velmora
