#include "render/radius_values.h"

namespace velmora {

RadiusValues DeriveRadiusValues(double radius) {
  const float r = static_cast<float>(radius);
  RadiusValues values{};
  values.blur_base = radius * 0.004;
  values.edge_margin = static_cast<A_long>(r / 2.0f);
  // The smallest multiple of 64 that is not below r; radius 0 keeps the start value, which
  // nothing uses since such a render passes the input through.
  values.pad_size = static_cast<A_long>(r - 1.0f);
  for (A_long k = 0; r > static_cast<float>(k);) {
    k += 64;
    values.pad_size = k;
  }
  return values;
}

}  // namespace velmora
