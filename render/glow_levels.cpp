#include "render/glow_levels.h"

namespace velmora {

PF_Err AccumulateGlowLevels(RenderState& state) { return state.err; }

}  // namespace velmora
