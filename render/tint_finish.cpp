#include "render/tint_finish.h"

namespace velmora {

PF_Err TintAndFinish(RenderState& state) { return state.err; }

}  // namespace velmora
