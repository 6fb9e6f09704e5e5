#pragma once
// The values the glow derives from its radius.

#include "hostapi/host_api.h"

namespace velmora {

struct RadiusValues {
  double blur_base;    // BlurBase: the first glow level's blur radius
  A_long edge_margin;  // EdgeMargin: the band of repeated edge pixels
  A_long pad_size;     // PadSize: how much the edge-extended worlds grow; -1 for radius 0
};

// The margin and pad in single precision, the blur base in double, as the glow is designed
// (docs/render.md, "Kept on purpose"); the host does none of this arithmetic.
RadiusValues DeriveRadiusValues(double radius);

}  // namespace velmora
