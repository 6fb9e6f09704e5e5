#pragma once
// The last stage before release: tint GlowWorld, copy its output-sized window into the
// output world, then scale by intensity, re-encode sRGB and derive alpha there in place.

#include "render/render_state.h"

namespace velmora {

// Tints GlowWorld, fills the output and runs the finishing passes. Does not release the
// render; ReleaseRender does that on every exit. Returns the running error.
PF_Err TintAndFinish(RenderState& state);

// The tint colour (alpha, red, green, blue on a 0..1 scale) as a solid fill colour of a depth:
// float keeps every value, integer depths hold each component to 0..full scale.
template <typename Pixel>
Pixel TintFillColor(const PixelOpInfo& info);

}  // namespace velmora
