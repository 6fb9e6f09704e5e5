#pragma once
// Edge extension: with Repeat Edge Pixels on, GlowWorld and SourceCopyWorld are made larger
// than the output by PadSize, the source sits at (EdgeMargin, EdgeMargin) in them, and a band
// of EdgeMargin pixels around it repeats the layer's edge pixels, so that the blurs near the
// layer's border draw on edge colour instead of on nothing.

#include "effect/render/render_state.h"

namespace velmora {

// Creates, fills and extends GlowWorld and SourceCopyWorld from SourceWorld.
// Returns whether the render goes on (the outcome is in state.err).
bool ExtendEdges(RenderState& state);

}  // namespace velmora
