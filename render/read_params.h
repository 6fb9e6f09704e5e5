#pragma once
// The render's reading of the effect's controls into PixelOpInfo.

#include "render/render_state.h"

namespace velmora {

// Clears PixelOpInfo, sets the output size and progress count, then checks out each control
// in turn (radius, intensity, glow mode, tint enable, tint mode, unmultiply, gamma, repeat
// edges), checking each in as soon as its value is copied. Runs while state.err is 0.
PF_Err ReadParams(RenderState& state);

// The tint colour from the effect's stream at layer time 0, into PixelOpInfo.
PF_Err ReadTintColor(RenderState& state);

// How much smaller than full resolution this render is (1 at full resolution).
double DownsampleFactor(const PF_InData& in_data);

}  // namespace velmora
