#pragma once
// The render's reading of the effect's controls into PixelOpInfo.

#include "effect/render/render_state.h"

namespace velmora {

// Clears PixelOpInfo, sets the output size and progress count, then checks out each control
// in turn (radius, intensity, glow mode, tint enable, tint mode, unmultiply, gamma, repeat
// edges), checking each in as soon as its value is copied. The radius is in this render's
// pixels until the setup derives BlurBase from it. A step of the render
// (effect/render/checkpoint.h).
bool ReadParams(RenderState& state);

// The tint colour from the effect's stream at layer time 0, into PixelOpInfo. A step.
bool ReadTintColor(RenderState& state);

// How much smaller than full resolution this render is (1 at full resolution).
double DownsampleFactor(const PF_InData& in_data);

}  // namespace velmora
