#pragma once
// The render's setup: from the first checkpoint to SourceWorld holding the layer over opaque
// black, ready for the glow worlds.

#include "effect/render/render_state.h"

namespace velmora {

// Checks out the input and output, reads the controls and the tint colour, derives the
// radius values, learns the depth and prepares SourceWorld (sRGB-decoded with gamma on).
// Takes the early exits itself: no input (output cleared), and radius or intensity 0 (input
// copied to a cleared output unchanged). Returns true when the glow stages follow; false
// after an exit or an error (in state.err). Whatever it holds is ReleaseRender's to give back.
bool SetupRender(RenderState& state);

}  // namespace velmora
