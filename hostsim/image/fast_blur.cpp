#include "hostsim/image/fast_blur.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "hostsim/image/pixel_traits.h"

namespace hostsim::image {
namespace {

constexpr int kChannels = 4;
// Both axes run their passes over many lanes at once: the columns pass over strips of 16
// columns (a strip row is 64 floats), the rows pass over bands of 8 rows laid out column by
// column (32 floats per column). Wide lanes keep the running sums in vector registers.
constexpr std::int64_t kStripPixels = 16;
constexpr int kStripLanes = kStripPixels * kChannels;
constexpr std::int64_t kBandRows = 8;
constexpr int kBandLanes = kBandRows * kChannels;
constexpr float kNoAlpha = 1e-7f;  // blurred alpha at or below this leaves no colour
constexpr double kLargestRadius = 1e6;

struct PassWeights {
  std::int64_t half_width;
  double end_weight;
  double scale;  // 1 / total weight
};

// One box pass along a line of `length` elements of `Lanes` floats each; out-of-line
// elements are zero. `in` and `out` must not overlap. The running sums are double: a value
// entering and leaving a single-precision sum leaves rounding residue behind it, which large
// values turn into visible streaks; in double the residue is below 1e-12 of the largest value,
// and integer samples add up exactly, so a constant line comes back exactly.
template <int Lanes>
void BoxPass(const float* in, float* out, std::int64_t length, const PassWeights& w) {
  static const float kZeros[Lanes] = {};
  const std::int64_t n = w.half_width;
  double sum[Lanes] = {};
  for (std::int64_t i = 0; i <= std::min(n, length - 1); ++i) {
    for (int l = 0; l < Lanes; ++l) sum[l] += in[i * Lanes + l];
  }
  for (std::int64_t x = 0; x < length; ++x) {
    const float* left_end = x - n - 1 >= 0 ? in + (x - n - 1) * Lanes : kZeros;
    const float* right_end = x + n + 1 < length ? in + (x + n + 1) * Lanes : kZeros;
    const float* leaving = x - n >= 0 ? in + (x - n) * Lanes : kZeros;
    float* o = out + x * Lanes;
    for (int l = 0; l < Lanes; ++l) {
      o[l] = static_cast<float>(
          (sum[l] + w.end_weight * (double{left_end[l]} + double{right_end[l]})) * w.scale);
      sum[l] += double{right_end[l]} - double{leaving[l]};
    }
  }
}

// Three passes; the result ends in `b`.
template <int Lanes>
void ThreeBoxPasses(float* a, float* b, std::int64_t length, const PassWeights& w) {
  BoxPass<Lanes>(a, b, length, w);
  BoxPass<Lanes>(b, a, length, w);
  BoxPass<Lanes>(a, b, length, w);
}

// Working values: normalised, colour multiplied by alpha when blurring straight colour. A
// non-finite value (NaN, infinity, or a weighted colour that overflows) counts as 0: carried
// into a running sum it would spoil every later pixel of the line, not only those it reaches.
template <class D>
void LoadWorking(const typename D::Pixel& p, bool straight, float* out) {
  Argb v = Load<D>(p);
  if constexpr (!D::kLimited) {
    if (!std::isfinite(v[0])) v[0] = 0.0f;
  }
  const float weight = straight ? std::max(v[0], 0.0f) : 1.0f;
  out[0] = v[0];
  for (int c = 1; c < kChannels; ++c) {
    out[c] = v[c] * weight;
    if constexpr (!D::kLimited) {
      if (!std::isfinite(out[c])) out[c] = 0.0f;
    }
  }
}

template <class D>
void StoreWorking(const float* in, bool straight, typename D::Pixel& p) {
  Argb v{in[0], in[1], in[2], in[3]};
  if (straight) {
    const float per_alpha = v[0] > kNoAlpha ? 1.0f / v[0] : 0.0f;
    for (int c = 1; c < kChannels; ++c) v[c] *= per_alpha;
  }
  Store<D>(v, p);
}

// Reused between calls: one frame-sized float image and per-thread line buffers. Fresh
// allocations of this size would cost page faults comparable to the blur itself.
struct Scratch {
  std::unique_ptr<float[]> image, lines;
  std::size_t image_size = 0, lines_size = 0;

  float* Image(std::size_t n) { return Grow(image, image_size, n); }
  float* Lines(std::size_t n) { return Grow(lines, lines_size, n); }

 private:
  static float* Grow(std::unique_ptr<float[]>& buffer, std::size_t& size, std::size_t n) {
    if (n > size) {
      buffer.reset();
      size = 0;  // stays consistent if the allocation throws
      buffer.reset(new float[n]);
      size = n;
    }
    return buffer.get();
  }
};

template <class D>
void BlurWorld(const World& world, const PassWeights& w, bool straight) {
  using Pixel = typename D::Pixel;
  const std::int64_t width = world.width(), height = world.height();
  thread_local Scratch scratch;
  const int threads = std::max(1, omp_get_max_threads());
  // Per thread: two buffers for a strip of columns or a band of rows.
  const std::size_t strip_floats = static_cast<std::size_t>(height) * kStripLanes;
  const std::size_t band_floats = static_cast<std::size_t>(width) * kBandLanes;
  const std::size_t per_thread = 2 * std::max(strip_floats, band_floats);
  float* image = scratch.Image(static_cast<std::size_t>(width) * height * kChannels);
  float* lines = scratch.Lines(per_thread * threads);

  // Columns first, strip by strip, from the world into the float image.
  const std::int64_t strips = (width + kStripPixels - 1) / kStripPixels;
#pragma omp parallel for schedule(dynamic, 1) num_threads(threads)
  for (std::int64_t s = 0; s < strips; ++s) {
    float* a = lines + per_thread * omp_get_thread_num();
    float* b = a + strip_floats;
    const std::int64_t x0 = s * kStripPixels;
    const std::int64_t columns = std::min(kStripPixels, width - x0);
    for (std::int64_t y = 0; y < height; ++y) {
      const Pixel* in = world.pixel<Pixel>(static_cast<A_long>(x0), static_cast<A_long>(y));
      float* line = a + y * kStripLanes;
      for (std::int64_t i = 0; i < columns; ++i) {
        LoadWorking<D>(in[i], straight, line + i * kChannels);
      }
      std::fill(line + columns * kChannels, line + kStripLanes, 0.0f);
    }
    ThreeBoxPasses<kStripLanes>(a, b, height, w);
    for (std::int64_t y = 0; y < height; ++y) {
      std::copy_n(b + y * kStripLanes, columns * kChannels, image + (y * width + x0) * kChannels);
    }
  }

  // Then rows, band by band, from the float image back into the world.
  const std::int64_t bands = (height + kBandRows - 1) / kBandRows;
#pragma omp parallel for schedule(dynamic, 1) num_threads(threads)
  for (std::int64_t band = 0; band < bands; ++band) {
    float* a = lines + per_thread * omp_get_thread_num();
    float* b = a + band_floats;
    const std::int64_t y0 = band * kBandRows;
    const std::int64_t rows = std::min(kBandRows, height - y0);
    for (std::int64_t x = 0; x < width; ++x) {
      float* column = a + x * kBandLanes;
      std::fill(column + rows * kChannels, column + kBandLanes, 0.0f);
      for (std::int64_t r = 0; r < rows; ++r) {
        std::copy_n(image + ((y0 + r) * width + x) * kChannels, kChannels, column + r * kChannels);
      }
    }
    ThreeBoxPasses<kBandLanes>(a, b, width, w);
    for (std::int64_t r = 0; r < rows; ++r) {
      Pixel* out = world.pixel<Pixel>(0, static_cast<A_long>(y0 + r));
      for (std::int64_t x = 0; x < width; ++x) {
        StoreWorking<D>(b + x * kBandLanes + r * kChannels, straight, out[x]);
      }
    }
  }
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
    BlurWorld<decltype(depth)>(world, weights, straight);
    return PF_Err_NONE;
  });
}

}  // namespace hostsim::image
