#include "hostsim/image/fast_blur.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>

#include "hostsim/image/pixel_traits.h"
#include "hostsim/image/vector_clones.h"
#include "hostsim/parallel.h"

namespace hostsim::image {
namespace {

constexpr int kChannels = 4;
// Both axes run their passes over 8 lines at once: 8 columns of a strip, or 8 rows of a band
// laid out column by column. 32 lanes per step keep the vector units busy.
constexpr std::int64_t kLinePixels = 8;
constexpr int kLanes = kLinePixels * kChannels;
constexpr float kNoAlpha = 1e-7f;  // blurred alpha at or below this leaves no colour
constexpr double kLargestRadius = 1e6;

struct PassWeights {
  std::int64_t half_width;
  double end_weight;
  double scale;  // 1 / total weight
};

// One box pass along a line of `length` steps of kLanes floats; steps outside the line are
// zero. `in` and `out` must not overlap. The running sums are double: a value entering and
// leaving a single-precision sum leaves rounding residue behind it, which large values turn
// into visible streaks; in double the residue is below 1e-12 of the largest value, and
// integer samples add up exactly, so a constant line comes back exactly.
VELMORA_VECTOR_CLONES
void BoxPass(const float* in, float* out, std::int64_t length, const PassWeights& w) {
  static const float kZeros[kLanes] = {};
  const std::int64_t n = w.half_width;
  const double end_weight = w.end_weight, scale = w.scale;
  double sum[kLanes] = {};
  for (std::int64_t i = 0; i <= std::min(n, length - 1); ++i) {
    for (int l = 0; l < kLanes; ++l) sum[l] += in[i * kLanes + l];
  }
  // The left end tap of step x is the step that left the window at x - 1.
  double left[kLanes] = {};
  for (std::int64_t x = 0; x < length; ++x) {
    const float* right_end = x + n + 1 < length ? in + (x + n + 1) * kLanes : kZeros;
    const float* leaving = x - n >= 0 ? in + (x - n) * kLanes : kZeros;
    float* o = out + x * kLanes;
    for (int l = 0; l < kLanes; ++l) {
      const double right = right_end[l], leaves = leaving[l];
      o[l] = static_cast<float>((sum[l] + end_weight * (left[l] + right)) * scale);
      sum[l] += right - leaves;
      left[l] = leaves;
    }
  }
}

// Three passes from `a` (overwritten) into `b`.
void ThreeBoxPasses(float* a, float* b, std::int64_t length, const PassWeights& w) {
  BoxPass(a, b, length, w);
  BoxPass(b, a, length, w);
  BoxPass(a, b, length, w);
}

// Working values: normalised, colour multiplied by alpha when blurring straight colour. A
// non-finite value (NaN, infinity, or a weighted colour that overflows) counts as 0: carried
// into a running sum it would spoil every later pixel of the line, not only those it reaches.
template <class D, bool kStraight>
void LoadWorking(const typename D::Pixel& p, float* out) {
  // Branch-free, so the loop over a strip's pixels vectorises.
  auto finite = [](float v) { return std::abs(v) <= std::numeric_limits<float>::max() ? v : 0.0f; };
  Argb v = Load<D>(p);
  if constexpr (!D::kLimited) v[0] = finite(v[0]);
  const float weight = kStraight ? std::max(v[0], 0.0f) : 1.0f;
  out[0] = v[0];
  for (int c = 1; c < kChannels; ++c) {
    out[c] = v[c] * weight;
    if constexpr (!D::kLimited) out[c] = finite(out[c]);
  }
}

template <class D, bool kStraight>
void StoreWorking(const float* in, typename D::Pixel& p) {
  Argb v{in[0], in[1], in[2], in[3]};
  if constexpr (kStraight) {
    const float per_alpha = v[0] > kNoAlpha ? 1.0f / v[0] : 0.0f;
    for (int c = 1; c < kChannels; ++c) v[c] *= per_alpha;
  }
  Store<D>(v, p);
}

// A strip of up to kLinePixels columns of the world as working values, row by row: kLanes
// floats a row, zeros past the world's right edge.
template <class D, bool kStraight>
VELMORA_VECTOR_CLONES void LoadStrip(const World& world, std::int64_t x0, std::int64_t columns,
                                     float* strip) {
  using Pixel = typename D::Pixel;
  const std::int64_t height = world.height();
  constexpr std::int64_t kAhead = 8;  // rows: the stride defeats the hardware prefetcher
  for (std::int64_t y = 0; y < height; ++y) {
    if (y + kAhead < height) {
      const auto* ahead =
          world.pixel<Pixel>(static_cast<A_long>(x0), static_cast<A_long>(y + kAhead));
      for (std::size_t byte = 0; byte < columns * sizeof(Pixel); byte += 64) {
        __builtin_prefetch(reinterpret_cast<const char*>(ahead) + byte);
      }
    }
    const Pixel* in = world.pixel<Pixel>(static_cast<A_long>(x0), static_cast<A_long>(y));
    float* line = strip + y * kLanes;
    for (std::int64_t i = 0; i < columns; ++i) {
      LoadWorking<D, kStraight>(in[i], line + i * kChannels);
    }
    std::fill(line + columns * kChannels, line + kLanes, 0.0f);
  }
}

// A band of `rows` intermediate rows as working values, column by column: kLanes floats a
// column (the band's rows side by side), zeros below the world's bottom edge. Pixel by pixel
// across the rows, so the line buffer is walked once, in order.
void LoadBand(const float* const* in_rows, std::int64_t rows, std::int64_t width, float* band) {
  for (std::int64_t x = 0; x < width; ++x) {
    float* lanes = band + x * kLanes;
    for (std::int64_t r = 0; r < rows; ++r) {
      std::memcpy(lanes + r * kChannels, in_rows[r] + x * kChannels, kChannels * sizeof(float));
    }
    std::fill(lanes + rows * kChannels, lanes + kLanes, 0.0f);
  }
}

// A band of blurred working values (kLanes floats a column: the band's rows side by side)
// stored into the band's `rows` world rows.
template <class D, bool kStraight>
VELMORA_VECTOR_CLONES void StoreBand(const float* band, typename D::Pixel* const* out_rows,
                                     std::int64_t rows, std::int64_t width) {
  for (std::int64_t x = 0; x < width; ++x) {
    // All the lanes' pixels first (a fixed count, unrolled), then only the band's rows.
    const float* lanes = band + x * kLanes;
    typename D::Pixel stored[kLinePixels];
    for (std::int64_t r = 0; r < kLinePixels; ++r) {
      StoreWorking<D, kStraight>(lanes + r * kChannels, stored[r]);
    }
    for (std::int64_t r = 0; r < rows; ++r) out_rows[r][x] = stored[r];
  }
}

// Columns first, strip by strip, from the world into an intermediate float image; then rows,
// band by band, from the intermediate back into the world. Each strip or band stays in the
// thread's cache for all three passes. A float world is its own intermediate (its strips hold
// working values until the rows pass reads them), so it needs no second frame of memory;
// integer worlds go through a float image from the host's pixel pool.
template <class D, bool kStraight>
void BlurWorld(const World& world, const PassWeights& w) {
  using Pixel = typename D::Pixel;
  const std::int64_t width = world.width(), height = world.height();
  const std::size_t line_floats = static_cast<std::size_t>(std::max(width, height)) * kLanes;
  const std::size_t per_thread = 2 * line_floats;  // two line buffers
  const PixelMemory lines =
      AcquirePixelMemory(per_thread * static_cast<std::size_t>(ThreadCount()) * sizeof(float));
  constexpr bool kInPlace = std::is_same_v<Pixel, PF_PixelFloat>;
  const std::size_t image_row = static_cast<std::size_t>(width) * kChannels;
  const PixelMemory image = AcquirePixelMemory(
      kInPlace ? 0 : image_row * static_cast<std::size_t>(height) * sizeof(float));
  auto intermediate = [&](std::int64_t y) {
    if constexpr (kInPlace) {
      return reinterpret_cast<float*>(world.pixel<PF_PixelFloat>(0, static_cast<A_long>(y)));
    } else {
      return reinterpret_cast<float*>(image.get()) + static_cast<std::size_t>(y) * image_row;
    }
  };
  auto line_buffers = [&](int thread) {
    return reinterpret_cast<float*>(lines.get()) + per_thread * static_cast<std::size_t>(thread);
  };

  const std::int64_t strips = (width + kLinePixels - 1) / kLinePixels;
  ParallelFor(strips, [&](std::int64_t s, int thread) {
    float* a = line_buffers(thread);
    float* b = a + line_floats;
    const std::int64_t x0 = s * kLinePixels;
    const std::int64_t columns = std::min(kLinePixels, width - x0);
    LoadStrip<D, kStraight>(world, x0, columns, a);
    ThreeBoxPasses(a, b, height, w);
    for (std::int64_t y = 0; y < height; ++y) {
      std::copy_n(b + y * kLanes, columns * kChannels, intermediate(y) + x0 * kChannels);
    }
  });

  const std::int64_t bands = (height + kLinePixels - 1) / kLinePixels;
  ParallelFor(bands, [&](std::int64_t band, int thread) {
    float* a = line_buffers(thread);
    float* b = a + line_floats;
    const std::int64_t y0 = band * kLinePixels;
    const std::int64_t rows = std::min(kLinePixels, height - y0);
    const float* in_rows[kLinePixels];
    Pixel* out_rows[kLinePixels];
    for (std::int64_t r = 0; r < rows; ++r) {
      in_rows[r] = intermediate(y0 + r);
      out_rows[r] = world.pixel<Pixel>(0, static_cast<A_long>(y0 + r));
    }
    LoadBand(in_rows, rows, width, a);
    ThreeBoxPasses(a, b, width, w);
    StoreBand<D, kStraight>(b, out_rows, rows, width);
  });
}

}  // namespace

double BlurSigma(double radius) {
  return radius / 2.0;
}

BoxKernel BoxForVariance(double variance) {
  if (!(variance > 0.0)) return {};
  // The plain box of 2n + 1 taps has variance n (n + 1) / 3; take the largest n not above v.
  auto n = static_cast<std::int64_t>(std::floor((std::sqrt(1.0 + 12.0 * variance) - 1.0) / 2.0));
  n = std::max<std::int64_t>(n, 0);
  while (n > 0 && static_cast<double>(n) * (n + 1) / 3.0 > variance) --n;
  while (static_cast<double>(n + 1) * (n + 2) / 3.0 <= variance) ++n;
  const double taps = 2.0 * n + 1.0;
  const double moment = static_cast<double>(n) * (n + 1) * (2 * n + 1) / 3.0;  // 2 (1^2..n^2)
  const double end = static_cast<double>(n + 1) * (n + 1);
  const double f = (variance * taps - moment) / (2.0 * (end - variance));
  return {n, std::clamp(f, 0.0, 1.0)};
}

PF_Err FastBlur(const World& world, double radius, PF_ModeFlags flags) {
  if (!std::isfinite(radius) || radius < 0.0) return PF_Err_BAD_CALLBACK_PARAM;
  // Far beyond any world side (30000) every window already spans the whole world; the cap
  // only keeps the box arithmetic finite.
  const double sigma = BlurSigma(std::min(radius, kLargestRadius));
  const BoxKernel box = BoxForVariance(sigma * sigma / 3.0);
  const auto end_weight = static_cast<float>(box.end_weight);
  // Nothing moves: radius 0, or a radius so small no tap reaches a neighbour in float.
  if (box.half_width == 0 && end_weight == 0.0f) return PF_Err_NONE;
  if (world.width() == 0 || world.height() == 0) return PF_Err_NONE;
  const PassWeights weights{box.half_width, box.end_weight,
                            1.0 / (2.0 * box.half_width + 1.0 + 2.0 * box.end_weight)};
  const bool straight = (flags & PF_MF_Alpha_STRAIGHT) != 0;
  return WithDepth(world.depth, [&](auto depth) {
    if (straight) {
      BlurWorld<decltype(depth), true>(world, weights);
    } else {
      BlurWorld<decltype(depth), false>(world, weights);
    }
    return PF_Err_NONE;
  });
}

}  // namespace hostsim::image
