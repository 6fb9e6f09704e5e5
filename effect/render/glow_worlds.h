#pragma once
// GlowWorld and SourceCopyWorld, the two worlds the glow levels work on.

#include "effect/render/render_state.h"

namespace velmora {

// With Repeat Edge Pixels on, the edge extension makes them larger than the output;
// otherwise both are plain output-sized copies of SourceWorld. Returns whether the render
// goes on (the outcome is in state.err).
bool MakeGlowWorlds(RenderState& state);

}  // namespace velmora
