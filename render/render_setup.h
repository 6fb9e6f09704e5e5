#pragma once
// The render's setup: from the first checkpoint to SourceWorld holding the layer over opaque
// black, ready for the glow worlds.

#include "render/render_state.h"

namespace velmora {

// Checks out the input and output, reads the controls and the tint colour, derives the
// radius values, learns the depth and prepares SourceWorld (sRGB-decoded with gamma on).
// Takes the early exits itself and marks them with state.finished_early: no input (output
// cleared), and radius or intensity 0 (input copied to a cleared output unchanged).
// Returns the running error; whatever it holds is for ReleaseRender to give back.
PF_Err SetupRender(RenderState& state);

}  // namespace velmora
