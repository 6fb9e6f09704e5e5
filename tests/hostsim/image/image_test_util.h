#pragma once
// Small helpers for the image-service tests: worlds from a private store, pixels read and
// written as normalised floats or as raw channel values, at any depth.

#include <array>

#include "hostsim/image/pixel_traits.h"
#include "hostsim/world_store.h"

namespace image_test {

using hostsim::Depth;
using hostsim::World;
using hostsim::image::Argb;

using hostsim::kDepths;

inline float FullScale(Depth depth) {
  return hostsim::VisitDepth(depth, [](auto traits) { return decltype(traits)::kFullScale; });
}

// Normalised, rounded and clamped at integer depths like any kernel's output.
inline void Put(const World& world, A_long x, A_long y, const Argb& value) {
  hostsim::image::WithDepth(world.depth, [&](auto depth) {
    using D = decltype(depth);
    hostsim::image::Store<D>(value, *world.pixel<typename D::Pixel>(x, y));
    return PF_Err_NONE;
  });
}

inline Argb Get(const World& world, A_long x, A_long y) {
  Argb value{};
  hostsim::image::WithDepth(world.depth, [&](auto depth) {
    using D = decltype(depth);
    value = hostsim::image::Load<D>(*world.pixel<typename D::Pixel>(x, y));
    return PF_Err_NONE;
  });
  return value;
}

// Raw channel values (0..255, 0..32768, or floats), alpha first.
using Raw = std::array<double, 4>;

// Stored as given (integer depths round and clamp), read back exactly.
inline void PutRaw(const World& world, A_long x, A_long y, const Raw& raw) {
  const float full = FullScale(world.depth);
  Put(world, x, y,
      Argb{static_cast<float>(raw[0] / full), static_cast<float>(raw[1] / full),
           static_cast<float>(raw[2] / full), static_cast<float>(raw[3] / full)});
}

inline Raw GetRaw(const World& world, A_long x, A_long y) {
  Raw raw{};
  hostsim::image::WithDepth(world.depth, [&](auto depth) {
    using D = decltype(depth);
    const auto& p = *world.pixel<typename D::Pixel>(x, y);
    raw = Raw{double(p.alpha), double(p.red), double(p.green), double(p.blue)};
    return PF_Err_NONE;
  });
  return raw;
}

inline void FillWorld(const World& world, const Argb& value) {
  for (A_long y = 0; y < world.height(); ++y)
    for (A_long x = 0; x < world.width(); ++x) Put(world, x, y, value);
}

}  // namespace image_test
