#pragma once
// Rectangle copies between worlds of one depth (the World Transform suite's copy and copy_hq).
//
// - A null rectangle means the whole world.
// - When the rectangles differ in size the source is stretched over the destination. The
//   destination pixel d samples the source at the centre-aligned position
//     s = s0 + (d - d0 + 1/2) * source size / destination size
//   per axis: Nearest takes the pixel containing s; Bilinear interpolates the four pixels
//   around s - 1/2, weighting colour by alpha (straight colour), clamped to the source
//   rectangle. Same-size copies are exact in both.
// - Either rectangle may reach outside its world. The mapping is that of the unclipped
//   rectangles; only destination pixels inside the destination world whose (nearest)
//   source pixel lies inside the source world are written.
// - Source and destination may be the same world and may overlap: the result is as if the
//   source were read whole before anything was written.

#include "hostapi/host_api.h"
#include "hostsim/world_store.h"

namespace hostsim::image {

enum class Sampling { kNearest, kBilinear };

// PF_Err_BAD_CALLBACK_PARAM when the depths differ.
PF_Err CopyRect(const World& source, const World& destination, const PF_Rect* source_rect,
                const PF_Rect* destination_rect, Sampling sampling);

}  // namespace hostsim::image
