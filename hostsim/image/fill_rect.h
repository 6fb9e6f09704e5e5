#pragma once
// Solid fills and (un)premultiplication, the Fill Matte suite's services.
//
// Fill: every pixel of the rectangle (null: the whole world; clipped to the world) takes the
// colour, given normalised (1.0 = full scale) and stored in the world's depth, rounded to
// nearest and clamped at integer depths. No colour clears to zero, alpha included.
// Premultiply forward multiplies colour by alpha. Backward (unpremultiply) divides colour by
// alpha; where alpha is 0 (or below) the colour becomes 0. Integer results round to nearest
// and clamp, so an unpremultiplied colour never exceeds full scale.

#include "hostapi/host_api.h"
#include "hostsim/world_store.h"

namespace hostsim::image {

PF_Err FillRect(const World& world, const PF_PixelFloat* normalized_color, const PF_Rect* rect);

PF_Err Premultiply(const World& world, bool forward);

}  // namespace hostsim::image
