#include "effect/render/pixel_ops.h"

#include <algorithm>
#include <cmath>

#include "effect/render/pixel_depth.h"
#include "effect/render/pixel_op_info.h"

namespace velmora {
namespace {

// Each operation is written once over the depth. Integer depths compute in double and store
// truncated toward zero, limited to full scale; float stores the double narrowed, unlimited.
// Everything below 0 (and NaN) stores 0 at integer depths: an unsigned channel cannot hold a
// negative result, and only an odd tint colour can produce one.
template <typename Depth>
typename Depth::Channel Store(double value) {
  if constexpr (Depth::kInteger) {
    if (value > Depth::kFullScale) value = Depth::kFullScale;
    if (!(value > 0.0)) value = 0.0;
    return static_cast<typename Depth::Channel>(value);
  } else {
    return static_cast<typename Depth::Channel>(value);
  }
}

const PixelOpInfo& Info(void* refcon) {
  return *static_cast<const PixelOpInfo*>(refcon);
}

// Applies f to each colour channel; reads all three before writing any, so in place is safe.
template <typename Depth, typename Pixel, typename F>
void ForEachColor(const Pixel* in, Pixel* out, F f) {
  const auto red = f(in->red, 0), green = f(in->green, 1), blue = f(in->blue, 2);
  out->alpha = in->alpha;
  out->red = red;
  out->green = green;
  out->blue = blue;
}

double TintComponent(const PixelOpInfo& info, int channel) {
  return channel == 0 ? info.tint_red : channel == 1 ? info.tint_green : info.tint_blue;
}

// The tinted alpha ignores the input's alpha. Integer depths keep only the whole part of the
// tint alpha, so anything below 1.0 is transparent; float takes it as it is. Kept on purpose
// (docs/render.md).
template <typename Depth>
typename Depth::Channel TintAlpha(double tint_alpha) {
  if constexpr (Depth::kInteger) {
    return Store<Depth>(std::trunc(tint_alpha) * Depth::kFullScale);
  } else {
    return Store<Depth>(tint_alpha);
  }
}

double EncodeCurve(double x) {
  return x <= 0.0031308 ? x * 12.92 : std::pow(x, 0.4166666666666667) * 1.055 - 0.055;
}

double DecodeCurve(double x) {
  return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
}

template <typename Depth, double (*Curve)(double)>
void ApplyCurve(const typename Depth::Pixel* in, typename Depth::Pixel* out) {
  ForEachColor<Depth>(in, out, [](auto c, int) {
    const double y = Curve(c / Depth::kFullScale);
    return Store<Depth>(std::max(y, 0.0) * Depth::kFullScale);
  });
}

template <typename Depth>
void AlphaFromMaxChannel(void*, const typename Depth::Pixel* in, typename Depth::Pixel* out) {
  // Compared in the channel's own type (single precision for float). Float is limited to 1.0
  // here too, with no lower limit. A NaN channel is passed over whichever it is, so the alpha
  // does not depend on the channel order; only a pixel with no number at all gets NaN.
  auto brightest = in->red;
  for (const auto c : {in->green, in->blue}) {
    bool none_yet = false;
    if constexpr (!Depth::kInteger) none_yet = std::isnan(brightest);
    if (c > brightest || none_yet) brightest = c;
  }
  out->alpha = brightest > Depth::kFullScale
                   ? static_cast<typename Depth::Channel>(Depth::kFullScale)
                   : brightest;
}

template <typename Depth>
void ScaleColor(void* refcon, const typename Depth::Pixel* in, typename Depth::Pixel* out) {
  const double intensity = Info(refcon).intensity;
  ForEachColor<Depth>(in, out, [&](auto c, int) { return Store<Depth>(c * intensity); });
}

template <typename Depth>
void MultiplyByTint(void* refcon, const typename Depth::Pixel* in, typename Depth::Pixel* out) {
  const PixelOpInfo& info = Info(refcon);
  ForEachColor<Depth>(in, out,
                      [&](auto c, int i) { return Store<Depth>(c * TintComponent(info, i)); });
  out->alpha = TintAlpha<Depth>(info.tint_alpha);
}

template <typename Depth>
void AddTint(void* refcon, const typename Depth::Pixel* in, typename Depth::Pixel* out) {
  const PixelOpInfo& info = Info(refcon);
  ForEachColor<Depth>(in, out, [&](auto c, int i) {
    return Store<Depth>(c + TintComponent(info, i) * Depth::kFullScale);
  });
  out->alpha = TintAlpha<Depth>(info.tint_alpha);
}

template <typename Depth>
void DesaturateAverage(void*, const typename Depth::Pixel* in, typename Depth::Pixel* out) {
  typename Depth::Channel average;
  if constexpr (Depth::kInteger) {
    average = static_cast<typename Depth::Channel>((int{in->red} + in->green + in->blue) / 3);
  } else {
    average = ((in->red + in->green) + in->blue) / 3.0f;  // single precision, unlike the rest
  }
  ForEachColor<Depth>(in, out, [&](auto, int) { return average; });
}

template <typename Depth>
void EncodeSrgb(void*, const typename Depth::Pixel* in, typename Depth::Pixel* out) {
  ApplyCurve<Depth, EncodeCurve>(in, out);
}

template <typename Depth>
void DecodeSrgb(void*, const typename Depth::Pixel* in, typename Depth::Pixel* out) {
  ApplyCurve<Depth, DecodeCurve>(in, out);
}

}  // namespace

// The host's callbacks: one thin instance per operation and depth.
#define VELMORA_DEFINE_PIXEL_OP(Name)                                                       \
  PF_Err Name##8(void* refcon, A_long, A_long, PF_Pixel* in, PF_Pixel* out) {               \
    Name<PixelDepth<PF_Pixel>>(refcon, in, out);                                            \
    return PF_Err_NONE;                                                                     \
  }                                                                                         \
  PF_Err Name##16(void* refcon, A_long, A_long, PF_Pixel16* in, PF_Pixel16* out) {          \
    Name<PixelDepth<PF_Pixel16>>(refcon, in, out);                                          \
    return PF_Err_NONE;                                                                     \
  }                                                                                         \
  PF_Err Name##Float(void* refcon, A_long, A_long, PF_PixelFloat* in, PF_PixelFloat* out) { \
    Name<PixelDepth<PF_PixelFloat>>(refcon, in, out);                                       \
    return PF_Err_NONE;                                                                     \
  }

VELMORA_DEFINE_PIXEL_OP(AlphaFromMaxChannel)
VELMORA_DEFINE_PIXEL_OP(ScaleColor)
VELMORA_DEFINE_PIXEL_OP(MultiplyByTint)
VELMORA_DEFINE_PIXEL_OP(AddTint)
VELMORA_DEFINE_PIXEL_OP(DesaturateAverage)
VELMORA_DEFINE_PIXEL_OP(EncodeSrgb)
VELMORA_DEFINE_PIXEL_OP(DecodeSrgb)

#undef VELMORA_DEFINE_PIXEL_OP

}  // namespace velmora
