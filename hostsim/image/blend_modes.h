#pragma once
// The transfer modes of transfer_rect, on normalised straight colour.
//
// Let d, da be the destination's colour and alpha, s, sa the source's, and
// k = (opacity / 255) * sa the weight of the source (alphas clamped to 0..1 for weighting).
// k = 0 leaves the destination pixel untouched.
//
// Separable modes composite the blended colour B(d, s) over the destination:
//   result alpha  = k + da (1 - k)                                    (union)
//   result colour = (k (1 - da) s + k da B(d, s) + (1 - k) da d) / result alpha
// Over an opaque destination this is d + k (B(d, s) - d): the blend mixed in by k.
//   ADD         B = d + s                      (so opaque: d + k s)
//   SCREEN      B = 1 - (1 - d)(1 - s)  when d and s both lie in 0..1, otherwise max(d, s):
//               float values above 1 never come out darker than either input
//   MULTIPLY    B = d s
//   SOFT_LIGHT  B = d - (1 - 2s) d (1 - d)            for s <= 1/2
//               B = d + (2s - 1)(D(d) - d)            for s >  1/2,
//               D(d) = ((16d - 12) d + 4) d for d <= 1/4, else sqrt(d)
// BEHIND puts the source under the destination:
//   result alpha  = da + k (1 - da)
//   result colour = (da d + k (1 - da) s) / result alpha
// Integer depths then round to nearest and clamp to full scale (255 or 32768); float results
// are stored unbounded. With rgb_only the destination keeps its alpha.

#include <algorithm>
#include <cmath>

#include "hostsim/image/pixel_traits.h"

namespace hostsim::image {

struct AddBlend {
  static float Blend(float d, float s) { return d + s; }
};

struct ScreenBlend {
  static float Blend(float d, float s) {
    // Both sides are evaluated and one is selected, so pixel loops vectorise.
    const bool in_range = (d >= 0.0f) & (d <= 1.0f) & (s >= 0.0f) & (s <= 1.0f);
    return in_range ? d + s - d * s : std::max(d, s);
  }
};

struct MultiplyBlend {
  static float Blend(float d, float s) { return d * s; }
};

struct SoftLightBlend {
  static float Blend(float d, float s) {
    const float darkened = d - (1.0f - 2.0f * s) * d * (1.0f - d);
    const float lifted = d <= 0.25f ? ((16.0f * d - 12.0f) * d + 4.0f) * d : std::sqrt(d);
    return s <= 0.5f ? darkened : d + (2.0f * s - 1.0f) * (lifted - d);
  }
};

// NaN stays NaN, as with std::clamp; written with min and max so loops vectorise.
inline float Unit(float v) {
  return std::min(std::max(v, 0.0f), 1.0f);
}

// Source over destination with a separable blend; k > 0, so the result alpha is too.
template <class Mode>
inline Argb CompositeOver(const Argb& d, const Argb& s, float k) {
  const float da = Unit(d[0]);
  const float alpha = k + da * (1.0f - k);
  const float per_alpha = 1.0f / alpha;
  const float source_weight = k * (1.0f - da) * per_alpha;
  const float blend_weight = k * da * per_alpha;
  const float destination_weight = (1.0f - k) * da * per_alpha;
  Argb out{alpha};
  for (int c = 1; c < 4; ++c) {
    out[c] =
        source_weight * s[c] + blend_weight * Mode::Blend(d[c], s[c]) + destination_weight * d[c];
  }
  return out;
}

// Source under destination; k > 0.
inline Argb CompositeBehind(const Argb& d, const Argb& s, float k) {
  const float da = Unit(d[0]);
  const float alpha = da + k * (1.0f - da);
  const float per_alpha = 1.0f / alpha;
  const float destination_weight = da * per_alpha;
  const float source_weight = k * (1.0f - da) * per_alpha;
  Argb out{alpha};
  for (int c = 1; c < 4; ++c) out[c] = destination_weight * d[c] + source_weight * s[c];
  return out;
}

}  // namespace hostsim::image
