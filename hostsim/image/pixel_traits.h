#pragma once
// The depth traits of hostsim/depth.h as kernels use them, so every image kernel is written
// once as a template.
// Kernels compute on normalised floats (1.0 = full scale) and store through ToChannel:
// integer depths round to nearest and clamp to 0..full scale (255 or 32768); float is stored
// as computed, unbounded.

#include <algorithm>
#include <array>

#include "hostapi/host_api.h"
#include "hostsim/depth.h"

namespace hostsim::image {

// One pixel as normalised floats, in the records' own order: alpha, red, green, blue.
using Argb = std::array<float, 4>;

using hostsim::Depth16;
using hostsim::Depth8;
using hostsim::DepthFloat;

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

// A kernel's instance for a world's runtime depth; an unknown depth is a bad argument.
template <class Fn>
PF_Err WithDepth(Depth depth, Fn&& fn) {
  return VisitDepth(
      depth, [&](auto traits) -> PF_Err { return fn(traits); },
      [] { return PF_Err{PF_Err_BAD_CALLBACK_PARAM}; });
}

}  // namespace hostsim::image
