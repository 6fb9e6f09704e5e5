#pragma once
// The render's record of parameter values; every pixel operation receives it as refcon.

#include "hostapi/host_api.h"

namespace velmora {

struct PixelOpInfo {
  double tint_alpha;
  double tint_red;
  double tint_green;
  double tint_blue;
  double intensity;  // never negative
  A_long tint_enable;
  A_long unmultiply;
  A_long tint_mode;
  A_long repeat_edges;
  A_long glow_mode;
  A_long gamma;
  // Read as the radius control in this render's pixels; from the setup's derived values on,
  // BlurBase (that radius x 0.004), which the pixel operations receive.
  double radius;
  A_long output_width;
  A_long output_height;
};

}  // namespace velmora
