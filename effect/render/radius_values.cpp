#include "effect/render/radius_values.h"

#include "effect/params/glow_extent.h"

namespace velmora {

RadiusValues DeriveRadiusValues(double radius) {
  const float r = static_cast<float>(radius);
  RadiusValues values{};
  values.blur_base = radius * 0.004;
  values.edge_margin = static_cast<A_long>(r / 2.0f);
  values.pad_size = static_cast<A_long>(PadSize(r));
  return values;
}

}  // namespace velmora
