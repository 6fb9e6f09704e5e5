#pragma once
// The ten glow levels: SourceCopyWorld blurred at a radius doubling from level to level and
// composited onto GlowWorld with Screen or Add at an opacity taken from the intensity.

#include "effect/render/render_state.h"

namespace velmora {

// Composites GLOW_LEVEL_COUNT blurred levels onto GlowWorld. Returns whether the render goes
// on (the outcome is in state.err).
bool AccumulateGlowLevels(RenderState& state);

}  // namespace velmora
