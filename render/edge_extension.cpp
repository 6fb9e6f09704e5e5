#include "render/edge_extension.h"

namespace velmora {

PF_Err ExtendEdges(RenderState& state) {
  return state.err;
}

}  // namespace velmora
