#include "render/checkpoint.h"

#include "host/image_ops.h"

namespace velmora {

bool Checkpoint(RenderState& state) {
  if (state.err == PF_Err_NONE) state.err = AbortCheck(state.in_data);
  return state.err == PF_Err_NONE;
}

}  // namespace velmora
