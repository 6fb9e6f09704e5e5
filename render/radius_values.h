#pragma once
// The values the glow derives from its radius.

#include "hostapi/host_api.h"

namespace velmora {

struct RadiusValues {
  double blur_base;    // BlurBase: the first glow level's blur radius
  A_long edge_margin;  // EdgeMargin: the band of repeated edge pixels
  A_long pad_size;     // PadSize: how much the edge-extended worlds grow; -1 for radius 0
};

// Computed as the host's arithmetic did it: the margin and pad in single precision.
RadiusValues DeriveRadiusValues(double radius);

}  // namespace velmora
