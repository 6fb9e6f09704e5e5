#pragma once
// The last stage before release: tint GlowWorld, copy its output-sized window into the
// output world, then scale by intensity, re-encode sRGB and derive alpha there in place.

#include "effect/render/render_state.h"

namespace velmora {

// Tints GlowWorld, fills the output and runs the finishing passes. Does not release the
// render; ReleaseRender does that on every exit. Returns whether all went well (state.err 0).
bool TintAndFinish(RenderState& state);

}  // namespace velmora
