#pragma once
// The three pixel depths as traits, so every image kernel is written once as a template.
// Kernels compute on normalised floats (1.0 = full scale) and store through ToChannel:
// integer depths round to nearest and clamp to 0..full scale (255 or 32768); float is stored
// as computed, unbounded.

#include <algorithm>
#include <array>

#include "hostapi/host_api.h"
#include "hostsim/world_store.h"

namespace hostsim::image {

// One pixel as normalised floats, in the records' own order: alpha, red, green, blue.
using Argb = std::array<float, 4>;

struct Depth8 {
  using Pixel = PF_Pixel;
  using Channel = A_u_char;
  static constexpr Depth kDepth = DepthOf<Pixel>();
  static constexpr float kFullScale = 255.0f;
  static constexpr bool kLimited = true;
};

struct Depth16 {
  using Pixel = PF_Pixel16;
  using Channel = A_u_short;
  static constexpr Depth kDepth = DepthOf<Pixel>();
  static constexpr float kFullScale = 32768.0f;
  static constexpr bool kLimited = true;
};

struct DepthFloat {
  using Pixel = PF_PixelFloat;
  using Channel = PF_FpShort;
  static constexpr Depth kDepth = DepthOf<Pixel>();
  static constexpr float kFullScale = 1.0f;
  static constexpr bool kLimited = false;
};

template <class D>
typename D::Channel ToChannel(float normalized) {
  if constexpr (D::kLimited) {
    // Clamped without branches (std::max(0, NaN) is 0), so pixel loops vectorise.
    const float v = std::min(std::max(0.0f, normalized * D::kFullScale), D::kFullScale);
    return static_cast<typename D::Channel>(v + 0.5f);
  } else {
    return normalized;
  }
}

template <class D>
float FromChannel(typename D::Channel value) {
  if constexpr (D::kLimited) {
    return static_cast<float>(value) * (1.0f / D::kFullScale);
  } else {
    return value;
  }
}

template <class D>
Argb Load(const typename D::Pixel& p) {
  return {FromChannel<D>(p.alpha), FromChannel<D>(p.red), FromChannel<D>(p.green),
          FromChannel<D>(p.blue)};
}

template <class D>
void Store(const Argb& v, typename D::Pixel& p) {
  p.alpha = ToChannel<D>(v[0]);
  p.red = ToChannel<D>(v[1]);
  p.green = ToChannel<D>(v[2]);
  p.blue = ToChannel<D>(v[3]);
}

// The one place a world's runtime depth picks a kernel instance. An unknown depth is an
// error, never a fall-through to some default.
template <class Fn>
PF_Err WithDepth(Depth depth, Fn&& fn) {
  switch (depth) {
    case Depth::k8:
      return fn(Depth8{});
    case Depth::k16:
      return fn(Depth16{});
    case Depth::k32:
      return fn(DepthFloat{});
  }
  return PF_Err_BAD_CALLBACK_PARAM;
}

}  // namespace hostsim::image
