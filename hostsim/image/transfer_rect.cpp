#include "hostsim/image/transfer_rect.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "hostsim/image/blend_modes.h"
#include "hostsim/image/for_each_row.h"
#include "hostsim/image/pixel_source.h"
#include "hostsim/image/pixel_traits.h"
#include "hostsim/image/rect.h"
#include "hostsim/image/vector_clones.h"

namespace hostsim::image {
namespace {

struct BehindMode {};

// A run of up to kBlock pixels as normalised floats, one array per channel, so the blend
// loops run across pixels in vector lanes.
constexpr std::int64_t kBlock = 64;
struct Planes {
  float c[4][kBlock];
};

template <class D>
void Deinterleave(const typename D::Pixel* pixels, std::int64_t count, Planes& planes) {
  for (std::int64_t i = 0; i < count; ++i) {
    const Argb v = Load<D>(pixels[i]);
    for (int c = 0; c < 4; ++c) planes.c[c][i] = v[c];
  }
}

// Screen and Add at 8 bits over an opaque destination, in integers: with K = opacity x source
// alpha (k = K / 255^2) the result is d + k s (Add) or d + k s (1 - d) (Screen), alpha stays
// full, and the exact value rounds to nearest (no value lies halfway: 255 is odd). A source
// weight of 0 adds 0, so the pixel keeps its stored value.
constexpr std::uint32_t kFull8 = 255;
template <class Mode>
inline std::uint32_t OpaqueBlend8(std::uint32_t d, std::uint32_t s, std::uint32_t k) {
  if constexpr (std::is_same_v<Mode, ScreenBlend>) {
    constexpr std::uint32_t kScale = kFull8 * kFull8 * kFull8;  // k s (255 - d) < 2^32
    return d + (k * s * (kFull8 - d) + kScale / 2) / kScale;
  } else {
    constexpr std::uint32_t kScale = kFull8 * kFull8;
    return std::min(kFull8, d + (k * s + kScale / 2) / kScale);
  }
}

template <class Mode>
constexpr bool kOpaqueIntegerBlend =
    std::is_same_v<Mode, ScreenBlend> || std::is_same_v<Mode, AddBlend>;

// In blocks of 16 pixels, each pixel one 32-bit word (alpha in the low byte: the host's
// machines are little-endian), so a block is one row of 32-bit vector lanes and each pixel's
// weight comes from its own word; an alpha keeps its (full) value, as a blend with weight 0
// would.
static_assert(std::endian::native == std::endian::little);
constexpr std::int64_t kOpaqueBlock = 16;

template <class Mode>
[[gnu::always_inline]] inline void OpaqueBlock8(const std::uint32_t* s, std::uint32_t* d,
                                                std::uint32_t opacity) {
  for (std::int64_t p = 0; p < kOpaqueBlock; ++p) {
    const std::uint32_t k = opacity * (s[p] & 0xFF);
    std::uint32_t result = d[p] & 0xFF;
    for (int c = 1; c < 4; ++c) {
      const std::uint32_t blended =
          OpaqueBlend8<Mode>((d[p] >> (8 * c)) & 0xFF, (s[p] >> (8 * c)) & 0xFF, k);
      result |= blended << (8 * c);
    }
    d[p] = result;
  }
}

template <class Mode>
VELMORA_VECTOR_CLONES void OpaqueRun8(const PF_Pixel* in, PF_Pixel* out, std::int64_t count,
                                      std::uint32_t opacity) {
  static_assert(sizeof(PF_Pixel) == sizeof(std::uint32_t));
  std::int64_t first = 0;
  // Whole blocks copied at a size fixed at compile time (vector moves, not string moves).
  for (; first + kOpaqueBlock <= count; first += kOpaqueBlock) {
    std::uint32_t s[kOpaqueBlock], d[kOpaqueBlock];
    std::memcpy(s, in + first, sizeof(s));
    std::memcpy(d, out + first, sizeof(d));
    OpaqueBlock8<Mode>(s, d, opacity);
    std::memcpy(out + first, d, sizeof(d));
  }
  if (first < count) {
    const auto bytes = static_cast<std::size_t>(count - first) * sizeof(PF_Pixel);
    std::uint32_t s[kOpaqueBlock] = {}, d[kOpaqueBlock] = {};
    std::memcpy(s, in + first, bytes);
    std::memcpy(d, out + first, bytes);
    OpaqueBlock8<Mode>(s, d, opacity);
    std::memcpy(out + first, d, bytes);
  }
}

// Onto a transparent destination (every alpha 0) at 8 and 16 bits, every mode's result is the
// source weighted by k (1 / k): the blend's and the destination's terms are zeros, which add
// nothing, since integer channels are finite. The weight is formed with the same float
// operations as CompositeOver's (and CompositeBehind's), so the stored values are the same.
template <class D>
[[gnu::always_inline]] inline void OntoTransparentRun(const typename D::Pixel* in,
                                                      typename D::Pixel* out, std::int64_t count,
                                                      float opacity, bool keep_alpha) {
  for (std::int64_t i = 0; i < count; ++i) {
    const Argb source = Load<D>(in[i]);
    const float k = opacity * Unit(source[0]);
    const float safe_k = k > 0.0f ? k : 1.0f;  // as in TransferRun; that result is not stored
    const float per_alpha = 1.0f / safe_k;
    const float source_weight = safe_k * 1.0f * per_alpha;
    const bool blend = k > 0.0f;
    typename D::Pixel& o = out[i];
    o.alpha = blend && !keep_alpha ? ToChannel<D>(safe_k) : o.alpha;
    o.red = blend ? ToChannel<D>(source_weight * source[1]) : o.red;
    o.green = blend ? ToChannel<D>(source_weight * source[2]) : o.green;
    o.blue = blend ? ToChannel<D>(source_weight * source[3]) : o.blue;
  }
}

// Blends a run of source pixels into the destination's. A pixel whose source weight is not
// above 0 keeps its stored value exactly; the choice is a select, not a branch, so the loops
// vectorise.
template <class D, class Mode>
VELMORA_VECTOR_CLONES void TransferRun(const typename D::Pixel* in, typename D::Pixel* out,
                                       std::int64_t count, float opacity, std::uint32_t opacity_255,
                                       bool keep_alpha) {
  if constexpr (std::is_same_v<D, Depth8> && kOpaqueIntegerBlend<Mode>) {
    // The alphas' common bits: full scale in all of them only when every one is full.
    std::uint32_t common = kFull8;
    for (std::int64_t i = 0; i < count; ++i) common &= out[i].alpha;
    if (common == kFull8) return OpaqueRun8<Mode>(in, out, count, opacity_255);
  }
  if constexpr (D::kLimited) {
    std::uint32_t any = 0;
    for (std::int64_t i = 0; i < count; ++i) any |= out[i].alpha;
    if (any == 0) return OntoTransparentRun<D>(in, out, count, opacity, keep_alpha);
  }
  Planes s, d, result;
  float weight[kBlock];
  Deinterleave<D>(in, count, s);
  Deinterleave<D>(out, count, d);
  for (std::int64_t i = 0; i < count; ++i) {
    const Argb source{s.c[0][i], s.c[1][i], s.c[2][i], s.c[3][i]};
    const Argb destination{d.c[0][i], d.c[1][i], d.c[2][i], d.c[3][i]};
    const float k = opacity * Unit(source[0]);
    // Any positive weight stands in where k is not above 0; that result is never stored.
    const float safe_k = k > 0.0f ? k : 1.0f;
    Argb blended;
    if constexpr (std::is_same_v<Mode, BehindMode>) {
      blended = CompositeBehind(destination, source, safe_k);
    } else {
      blended = CompositeOver<Mode>(destination, source, safe_k);
    }
    for (int c = 0; c < 4; ++c) result.c[c][i] = blended[c];
    weight[i] = k;
  }
  if (keep_alpha) std::copy_n(d.c[0], count, result.c[0]);
  for (std::int64_t i = 0; i < count; ++i) {
    const bool blend = weight[i] > 0.0f;
    typename D::Pixel& o = out[i];
    o.alpha = blend ? ToChannel<D>(result.c[0][i]) : o.alpha;
    o.red = blend ? ToChannel<D>(result.c[1][i]) : o.red;
    o.green = blend ? ToChannel<D>(result.c[2][i]) : o.green;
    o.blue = blend ? ToChannel<D>(result.c[3][i]) : o.blue;
  }
}

template <class D, class Mode>
void TransferPixels(const PixelSource& source, const World& destination, const Box& written,
                    std::int64_t source_dx, std::int64_t source_dy, float opacity,
                    std::uint32_t opacity_255, bool keep_alpha) {
  using Pixel = typename D::Pixel;
  const std::int64_t rows = written.height(), columns = written.width();
  ForEachRow(rows, columns, [&](std::int64_t j) {
    const std::int64_t y = written.top + j;
    const Pixel* in = source.at<Pixel>(written.left + source_dx, y + source_dy);
    Pixel* out =
        destination.pixel<Pixel>(static_cast<A_long>(written.left), static_cast<A_long>(y));
    for (std::int64_t i = 0; i < columns; i += kBlock) {
      TransferRun<D, Mode>(in + i, out + i, std::min(kBlock, columns - i), opacity, opacity_255,
                           keep_alpha);
    }
  });
}

// Picks the mode's kernel once per call.
template <class D, class Fn>
void WithMode(PF_TransferMode mode, Fn&& fn) {
  switch (mode) {
    case PF_Xfer_ADD:
      return fn(AddBlend{});
    case PF_Xfer_SCREEN:
      return fn(ScreenBlend{});
    case PF_Xfer_MULTIPLY:
      return fn(MultiplyBlend{});
    case PF_Xfer_SOFT_LIGHT:
      return fn(SoftLightBlend{});
    case PF_Xfer_BEHIND:
      return fn(BehindMode{});
    default:
      return;  // refused by TransferModeOffered before any kernel runs
  }
}

}  // namespace

bool TransferModeOffered(PF_TransferMode mode) {
  return mode == PF_Xfer_ADD || mode == PF_Xfer_SCREEN || mode == PF_Xfer_MULTIPLY ||
         mode == PF_Xfer_SOFT_LIGHT || mode == PF_Xfer_BEHIND;
}

PF_Err TransferRect(const World& source, const World& destination, const PF_Rect* source_rect,
                    const PF_CompositeMode& mode, PF_ModeFlags flags, A_long dest_x,
                    A_long dest_y) {
  if (!TransferModeOffered(mode.xfer) || (flags & PF_MF_Alpha_STRAIGHT) == 0 ||
      source.depth != destination.depth) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const Box from = RectOr(source_rect, source);
  if (from.empty()) return PF_Err_NONE;
  // Destination position of a source pixel = source position + (shift_x, shift_y).
  const std::int64_t shift_x = std::int64_t{dest_x} - from.left;
  const std::int64_t shift_y = std::int64_t{dest_y} - from.top;
  const Box written =
      Intersect(Offset(Intersect(from, WholeOf(source)), shift_x, shift_y), WholeOf(destination));
  if (written.empty()) return PF_Err_NONE;
  const PixelSource pixels(source, Offset(written, -shift_x, -shift_y), destination, written);
  const float opacity = static_cast<float>(mode.opacity) / 255.0f;

  return WithDepth(destination.depth, [&](auto depth) {
    using D = decltype(depth);
    WithMode<D>(mode.xfer, [&](auto blend) {
      TransferPixels<D, decltype(blend)>(pixels, destination, written, -shift_x, -shift_y, opacity,
                                         mode.opacity, mode.rgb_only != 0);
    });
    return PF_Err_NONE;
  });
}

}  // namespace hostsim::image
