#pragma once
// Runs one pixel operation over a world at the input's depth, as one step of the render.

#include "effect/render/pixel_ops.h"
#include "effect/render/render_state.h"

namespace velmora {

// A step of the render (effect/render/checkpoint.h): iterates `op` of the input's depth over the
// whole of src into dst, with PixelOpInfo as refcon and progress up to the render's progress count.
// The iteration's error, or 516 for an unknown pixel format, becomes the running error.
bool RunPixelOp(RenderState& state, const PixelOp& op, PF_EffectWorld* src, PF_EffectWorld* dst);

}  // namespace velmora
