#include "hostsim/image/fast_blur.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>
#include <vector>

#include "hostsim/image/for_each_row.h"
#include "hostsim/image/pixel_traits.h"
#include "hostsim/image/vector_clones.h"
#include "hostsim/parallel.h"

namespace hostsim::image {
namespace {

constexpr int kChannels = 4;
// Both axes run their passes over 16 lines at once: 16 columns of a strip, or 16 rows of a
// band laid out column by column. 64 lanes per step keep the vector units busy, and a strip's
// row is four whole cache lines of a float world (8 lines were about a tenth slower at 8 and
// 16 bits; 32 lines outgrow the core's cache and were slower again in float).
constexpr std::int64_t kLinePixels = 16;
constexpr int kLanes = kLinePixels * kChannels;
constexpr float kNoAlpha = 1e-7f;  // blurred alpha at or below this leaves no colour
constexpr double kLargestRadius = 1e6;

// What the passes compute on at a depth. Float: float values, running sums in double. 8 and
// 16 bits: fixed-point integers (colour weighted by alpha without rounding where the bits
// allow), running sums exact in 32-bit integers, so nothing at all is left behind once the
// window has passed a value and a constant line comes back exactly. `Step` is the arithmetic
// that turns a window's sums into the pass's output: single precision at 8 bits, where values
// stay below 2^20 (a few 2^-24 of relative error then stays under half a unit, so a constant
// line is still exact), double at 16 bits, whose values use all the bits the sums leave.
template <class D>
struct Working {
  using Value = std::int32_t;
  using Sum = std::uint32_t;  // wraps while it runs; the window's true sum stays below 2^31
  using Step = std::conditional_t<sizeof(typename D::Channel) == 1, float, double>;
  static constexpr std::uint64_t kLargestValue =
      std::is_same_v<Step, float> ? std::uint64_t{1} << 20 : std::uint64_t{1} << 31;
  // What the intermediate image between the two axes holds. At 8 bits a channel's exact
  // product (at most 255 x 255) fits 16 bits, so the columns' results are kept rounded to
  // whole products: half the memory traffic of working values, at a rounding of 1/65025 of
  // full scale.
  using Stored = std::conditional_t<sizeof(typename D::Channel) == 1, std::uint16_t, Value>;
};
template <>
struct Working<DepthFloat> {
  using Value = float;
  using Sum = double;
  using Step = double;
  using Stored = float;
};

struct PassWeights {
  std::int64_t half_width;
  double end_weight;
  double scale;  // 1 / total weight
};

// A pass's output from its window: the full taps' sum and the two end taps' sum.
template <class D>
typename Working<D>::Value PassOutput(typename Working<D>::Sum sum, typename Working<D>::Sum ends,
                                      typename Working<D>::Step end_weight,
                                      typename Working<D>::Step scale) {
  using Step = typename Working<D>::Step;
  if constexpr (D::kLimited) {
    const Step total = static_cast<Step>(static_cast<std::int32_t>(sum)) +
                       end_weight * static_cast<Step>(static_cast<std::int32_t>(ends));
    return static_cast<std::int32_t>(total * scale + Step{0.5});
  } else {
    return static_cast<float>((sum + end_weight * ends) * scale);
  }
}

// One box pass along a line of `length` steps of kLanes values; steps outside the line are
// zero. `in` and `out` must not overlap. Float lines sum in double: a value entering and
// leaving a single-precision sum leaves rounding residue behind it, which large values turn
// into visible streaks; in double the residue is below 1e-12 of the largest value, and
// integer samples add up exactly, so a constant line comes back exactly.
template <class D>
VELMORA_VECTOR_CLONES void BoxPass(const typename Working<D>::Value* in,
                                   typename Working<D>::Value* out, std::int64_t length,
                                   const PassWeights& w) {
  using Value = typename Working<D>::Value;
  using Sum = typename Working<D>::Sum;
  using Step = typename Working<D>::Step;
  static const Value kZeros[kLanes] = {};
  const std::int64_t n = w.half_width;
  const auto end_weight = static_cast<Step>(w.end_weight);
  const auto scale = static_cast<Step>(w.scale);
  Sum sum[kLanes] = {};
  for (std::int64_t i = 0; i <= std::min(n, length - 1); ++i) {
    for (int l = 0; l < kLanes; ++l) sum[l] += static_cast<Sum>(in[i * kLanes + l]);
  }
  // The left end tap of step x is the step that left the window at x - 1.
  Sum left[kLanes] = {};
  for (std::int64_t x = 0; x < length; ++x) {
    const Value* right_end = x + n + 1 < length ? in + (x + n + 1) * kLanes : kZeros;
    const Value* leaving = x - n >= 0 ? in + (x - n) * kLanes : kZeros;
    Value* o = out + x * kLanes;
    for (int l = 0; l < kLanes; ++l) {
      const auto right = static_cast<Sum>(right_end[l]), leaves = static_cast<Sum>(leaving[l]);
      o[l] = PassOutput<D>(sum[l], static_cast<Sum>(left[l] + right), end_weight, scale);
      sum[l] += right - leaves;
      left[l] = leaves;
    }
  }
}

// Three passes from `a` (overwritten) into `b`.
template <class D>
void ThreeBoxPasses(typename Working<D>::Value* a, typename Working<D>::Value* b,
                    std::int64_t length, const PassWeights& w) {
  BoxPass<D>(a, b, length, w);
  BoxPass<D>(b, a, length, w);
  BoxPass<D>(a, b, length, w);
}

// The fixed point of the integer working values. A channel's exact working value is its
// product with alpha (straight colour) or with full scale (alpha, and premultiplied colour),
// so 1.0 is full scale squared (65025 or 2^30); working values are that times 2^up / 2^down,
// rounded to nearest, chosen per call as fine as the window's sums allow (the window and its
// end taps together below 2^31) and no larger than the pass's arithmetic keeps exact.
struct FixedPoint {
  int up = 0, down = 0;
  float unit = 1.0f;  // the working value of 1.0
};

template <class D>
FixedPoint FixedPointFor(std::int64_t window_taps) {
  FixedPoint fixed;
  if constexpr (D::kLimited) {
    constexpr std::uint64_t kChannelMax = std::numeric_limits<typename D::Channel>::max();
    constexpr std::uint64_t kExactMax = kChannelMax * kChannelMax;
    const auto largest = std::min<std::uint64_t>(
        Working<D>::kLargestValue,
        ((std::uint64_t{1} << 31) - 1) / std::max<std::int64_t>(1, window_taps));
    while ((kExactMax << (fixed.up + 1)) <= largest) ++fixed.up;
    while (fixed.up == 0 && (kExactMax >> fixed.down) + 1 > largest) ++fixed.down;
    const double full = static_cast<double>(D::kFullScale) * D::kFullScale;
    fixed.unit = static_cast<float>(std::ldexp(full, fixed.up - fixed.down));
  }
  return fixed;
}

// Float working values: normalised, colour multiplied by alpha when blurring straight colour.
// A non-finite value (NaN, infinity, or a weighted colour that overflows) counts as 0: carried
// into a running sum it would spoil every later pixel of the line, not only those it reaches.
template <bool kStraight>
void LoadWorking(const PF_PixelFloat& p, float* out) {
  // Branch-free, so the loop over a strip's pixels vectorises.
  auto finite = [](float v) { return std::abs(v) <= std::numeric_limits<float>::max() ? v : 0.0f; };
  Argb v = Load<DepthFloat>(p);
  v[0] = finite(v[0]);
  const float weight = kStraight ? std::max(v[0], 0.0f) : 1.0f;
  out[0] = v[0];
  for (int c = 1; c < kChannels; ++c) out[c] = finite(v[c] * weight);
}

template <bool kStraight>
void StoreWorking(const float* in, PF_PixelFloat& p) {
  Argb v{in[0], in[1], in[2], in[3]};
  if constexpr (kStraight) {
    const float per_alpha = v[0] > kNoAlpha ? 1.0f / v[0] : 0.0f;
    for (int c = 1; c < kChannels; ++c) v[c] *= per_alpha;
  }
  Store<DepthFloat>(v, p);
}

// Integer pixels are four channels in the lanes' own order (alpha, red, green, blue), so a
// strip's row of up to kLinePixels pixels converts lane by lane, in vector lanes.
template <class D>
using ChannelLanes = std::array<typename D::Channel, kLanes>;

// Inlined into the vector clones of their callers, so they run in those clones' lanes.
template <class D, bool kStraight>
[[gnu::always_inline]] inline void LoadFixedRow(const typename D::Pixel* in, std::int64_t columns,
                                                std::int32_t* line, const FixedPoint& fixed) {
  // 8-bit products fit 32 bits even shifted up; 16-bit ones need 64.
  using Wide = std::conditional_t<sizeof(typename D::Channel) == 1, std::uint32_t, std::uint64_t>;
  constexpr auto kFull = static_cast<Wide>(D::kFullScale);
  ChannelLanes<D> channels{};
  // A whole strip's row as one fixed-size copy (vector moves); a copy of a size known only at
  // run time is a string move, whose start-up costs more than the row.
  if (columns == kLinePixels) {
    std::memcpy(channels.data(), in, sizeof(channels));
  } else {
    std::memcpy(channels.data(), in, static_cast<std::size_t>(columns) * sizeof(*in));
  }
  // Locals, not the record's fields: the stores below could alias those, which would keep the
  // loop from running in vector lanes.
  const int up = fixed.up, down = fixed.down;
  const Wide half = (Wide{1} << down) >> 1;
  auto fixed_value = [&](Wide channel, Wide weight) {
    return static_cast<std::int32_t>((((channel * weight) << up) + half) >> down);
  };
  // Pixel by pixel, the weight taken from the pixel's own alpha (a weight array filled first
  // was written with scalar stores and read back as vectors, which stalled).
  for (int p = 0; p < kLinePixels; ++p) {
    const auto* c = channels.data() + p * kChannels;
    const auto alpha = static_cast<Wide>(c[0]);
    const Wide weight = kStraight ? alpha : kFull;
    std::int32_t* out = line + p * kChannels;
    out[0] = fixed_value(alpha, kFull);
    out[1] = fixed_value(c[1], weight);
    out[2] = fixed_value(c[2], weight);
    out[3] = fixed_value(c[3], weight);
  }
}

// A band's column of kLinePixels working pixels back to integer channels, lane order.
template <class D, bool kStraight>
[[gnu::always_inline]] inline void StoreFixedColumn(const std::int32_t* lanes,
                                                    ChannelLanes<D>& channels,
                                                    const FixedPoint& fixed) {
  const float per_unit = 1.0f / fixed.unit, no_alpha = kNoAlpha * fixed.unit;
  // The alphas side by side first, so their reciprocals are taken in one vector.
  float per_alpha[kLinePixels];
  for (int r = 0; r < kLinePixels; ++r) per_alpha[r] = static_cast<float>(lanes[r * kChannels]);
  for (int r = 0; r < kLinePixels; ++r) {
    per_alpha[r] = per_alpha[r] > no_alpha ? 1.0f / per_alpha[r] : 0.0f;
  }
  float factor[kLanes];
  for (int r = 0; r < kLinePixels; ++r) {
    factor[r * kChannels] = per_unit;
    for (int c = 1; c < kChannels; ++c) {
      factor[r * kChannels + c] = kStraight ? per_alpha[r] : per_unit;
    }
  }
  for (int l = 0; l < kLanes; ++l) {
    channels[l] = ToChannel<D>(static_cast<float>(lanes[l]) * factor[l]);
  }
}

// A strip of up to kLinePixels columns of the world as working values, row by row: kLanes
// values a row, zeros past the world's right edge.
template <class D, bool kStraight>
VELMORA_VECTOR_CLONES void LoadStrip(const World& world, std::int64_t x0, std::int64_t columns,
                                     typename Working<D>::Value* strip, const FixedPoint& fixed) {
  using Pixel = typename D::Pixel;
  using Value = typename Working<D>::Value;
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
    Value* line = strip + y * kLanes;
    if constexpr (D::kLimited) {
      LoadFixedRow<D, kStraight>(in, columns, line, fixed);
    } else {
      for (std::int64_t i = 0; i < columns; ++i) {
        LoadWorking<kStraight>(in[i], line + i * kChannels);
      }
      std::fill(line + columns * kChannels, line + kLanes, Value{});
    }
  }
}

// A band of `rows` intermediate rows as working values, column by column: kLanes values a
// column (the band's rows side by side), zeros below the world's bottom edge. Pixel by pixel
// across the rows, so the line buffer is walked once, in order.
template <class D>
VELMORA_VECTOR_CLONES void LoadBand(const typename Working<D>::Stored* const* in_rows,
                                    std::int64_t rows, std::int64_t width,
                                    typename Working<D>::Value* band, const FixedPoint& fixed) {
  using Value = typename Working<D>::Value;
  using Stored = typename Working<D>::Stored;
  const int up = fixed.up;
  for (std::int64_t x = 0; x < width; ++x) {
    Value* lanes = band + x * kLanes;
    if constexpr (std::is_same_v<Stored, Value>) {
      for (std::int64_t r = 0; r < rows; ++r) {
        std::memcpy(lanes + r * kChannels, in_rows[r] + x * kChannels, kChannels * sizeof(Value));
      }
      std::fill(lanes + rows * kChannels, lanes + kLanes, Value{});
    } else {
      // Gathered as they are stored, then widened all at once in vector lanes.
      Stored stored[kLanes] = {};
      for (std::int64_t r = 0; r < rows; ++r) {
        std::memcpy(stored + r * kChannels, in_rows[r] + x * kChannels, kChannels * sizeof(Stored));
      }
      for (int l = 0; l < kLanes; ++l) lanes[l] = static_cast<Value>(stored[l]) << up;
    }
  }
}

// A strip's blurred rows of working values into the intermediate image, `stride` values a row.
template <class D>
VELMORA_VECTOR_CLONES void StoreStrip(const typename Working<D>::Value* strip, std::int64_t height,
                                      std::int64_t values, typename Working<D>::Stored* out,
                                      std::size_t stride, const FixedPoint& fixed) {
  using Value = typename Working<D>::Value;
  using Stored = typename Working<D>::Stored;
  for (std::int64_t y = 0; y < height; ++y) {
    const Value* line = strip + y * kLanes;
    Stored* row = out + static_cast<std::size_t>(y) * stride;
    if constexpr (std::is_same_v<Stored, Value>) {
      std::copy_n(line, values, row);
    } else {
      // Whole products, rounded to nearest (at 8 bits the working values are never scaled
      // down); all the lanes at once, then the strip's columns.
      const int up = fixed.up;
      const Value half = (Value{1} << up) >> 1;
      Stored rounded[kLanes];
      for (int l = 0; l < kLanes; ++l) {
        rounded[l] = static_cast<Stored>(std::min<Value>((line[l] + half) >> up, 65535));
      }
      std::copy_n(rounded, values, row);
    }
  }
}

// A band of blurred working values (kLanes values a column: the band's rows side by side)
// stored into the band's `rows` world rows.
template <class D, bool kStraight>
VELMORA_VECTOR_CLONES void StoreBand(const typename Working<D>::Value* band,
                                     typename D::Pixel* const* out_rows, std::int64_t rows,
                                     std::int64_t width, const FixedPoint& fixed) {
  for (std::int64_t x = 0; x < width; ++x) {
    // All the lanes' pixels first (a fixed count, unrolled), then only the band's rows.
    const auto* lanes = band + x * kLanes;
    typename D::Pixel stored[kLinePixels];
    if constexpr (D::kLimited) {
      ChannelLanes<D> channels;
      StoreFixedColumn<D, kStraight>(lanes, channels, fixed);
      std::memcpy(stored, channels.data(), sizeof(stored));
    } else {
      for (std::int64_t r = 0; r < kLinePixels; ++r) {
        StoreWorking<kStraight>(lanes + r * kChannels, stored[r]);
      }
    }
    for (std::int64_t r = 0; r < rows; ++r) out_rows[r][x] = stored[r];
  }
}

// A line buffer's values: the longer side's steps of kLanes values. Every working value is
// four bytes at every depth.
std::size_t LineValues(std::int64_t width, std::int64_t height) {
  return static_cast<std::size_t>(std::max(width, height)) * kLanes;
}

// The intermediate image of an integer world: one stored value a channel.
std::size_t ImageBytes(std::int64_t width, std::int64_t height, std::size_t value_bytes) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * kChannels *
         value_bytes;
}

// Columns first, strip by strip, from the world into an intermediate image of working values;
// then rows, band by band, from the intermediate back into the world. Each strip or band stays
// in the thread's cache for all three passes. A float world is its own intermediate (its strips
// hold working values until the rows pass reads them), so it needs no second frame of memory;
// integer worlds go through an image of fixed-point values from the host's pixel pool.
template <class D, bool kStraight>
void BlurWorld(const World& world, const PassWeights& columns_pass, const PassWeights& rows_pass) {
  using Pixel = typename D::Pixel;
  using Value = typename Working<D>::Value;
  using Stored = typename Working<D>::Stored;
  const std::int64_t width = world.width(), height = world.height();
  const std::size_t line_values = LineValues(width, height);
  const std::size_t per_thread = 2 * line_values;  // two line buffers
  const PixelMemory lines =
      AcquirePixelMemory(per_thread * static_cast<std::size_t>(ThreadCount()) * sizeof(Value));
  constexpr bool kInPlace = std::is_same_v<Pixel, PF_PixelFloat>;
  const std::size_t image_row = static_cast<std::size_t>(width) * kChannels;
  const PixelMemory image =
      AcquirePixelMemory(kInPlace ? 0 : ImageBytes(width, height, sizeof(Stored)));
  auto intermediate = [&](std::int64_t y) {
    if constexpr (kInPlace) {
      return reinterpret_cast<float*>(world.pixel<PF_PixelFloat>(0, static_cast<A_long>(y)));
    } else {
      return reinterpret_cast<Stored*>(image.get()) + static_cast<std::size_t>(y) * image_row;
    }
  };
  auto line_buffers = [&](int thread) {
    return reinterpret_cast<Value*>(lines.get()) + per_thread * static_cast<std::size_t>(thread);
  };
  // The window's sum never exceeds its taps' (the full ones and the two ends, or the line).
  const FixedPoint fixed = FixedPointFor<D>(std::min(
      2 * std::max(columns_pass.half_width, rows_pass.half_width) + 3, std::max(width, height)));

  const std::int64_t strips = (width + kLinePixels - 1) / kLinePixels;
  ParallelFor(strips, [&](std::int64_t s, int thread) {
    Value* a = line_buffers(thread);
    Value* b = a + line_values;
    const std::int64_t x0 = s * kLinePixels;
    const std::int64_t columns = std::min(kLinePixels, width - x0);
    LoadStrip<D, kStraight>(world, x0, columns, a, fixed);
    ThreeBoxPasses<D>(a, b, height, columns_pass);
    StoreStrip<D>(b, height, columns * kChannels, intermediate(0) + x0 * kChannels,
                  kInPlace ? static_cast<std::size_t>(world.effect_world.rowbytes) / sizeof(Value)
                           : image_row,
                  fixed);
  });

  const std::int64_t bands = (height + kLinePixels - 1) / kLinePixels;
  ParallelFor(bands, [&](std::int64_t band, int thread) {
    Value* a = line_buffers(thread);
    Value* b = a + line_values;
    const std::int64_t y0 = band * kLinePixels;
    const std::int64_t rows = std::min(kLinePixels, height - y0);
    const Stored* in_rows[kLinePixels];
    Pixel* out_rows[kLinePixels];
    for (std::int64_t r = 0; r < rows; ++r) {
      in_rows[r] = intermediate(y0 + r);
      out_rows[r] = world.pixel<Pixel>(0, static_cast<A_long>(y0 + r));
    }
    LoadBand<D>(in_rows, rows, width, a, fixed);
    ThreeBoxPasses<D>(a, b, width, rows_pass);
    StoreBand<D, kStraight>(b, out_rows, rows, width, fixed);
  });
}

// Long windows on a decimated copy. The world is averaged over cells of hx x hy pixels (each
// side a divisor of the world's, so the cells end exactly at the world's edges, where every
// pass stops), the cells are blurred as a float world with the variance the averaging and the
// interpolation do not already bring, and the world is interpolated back from the cells'
// centres, linearly (and extrapolated linearly beyond the outermost centres). The work of the
// box passes and the intermediate image shrink by hx * hy; the world is read once and written
// once. A cell's side is at most sigma / kSigmaPerCell of the depth, which keeps every sample
// within the bound docs/host-services.md states (the test checks it against the exact blur in
// double precision).
constexpr double kSigmaPerCell = 20.0;
constexpr std::int64_t kLargestCell = 64;
constexpr std::int64_t kLeastCells = 4;  // on a side, so interpolation has samples to work on

std::int64_t CellSide(std::int64_t side, double sigma, double sigma_per_cell) {
  const double most = std::min({sigma / sigma_per_cell, static_cast<double>(side / kLeastCells),
                                static_cast<double>(kLargestCell)});
  for (auto h = static_cast<std::int64_t>(most); h > 1; --h) {
    if (side % h == 0) return h;
  }
  return 1;
}

// The variance linear interpolation from the centres of cells of side h adds, averaged over
// the h positions within a cell.
double InterpolationVariance(std::int64_t h) {
  double sum = 0.0;
  for (std::int64_t k = 0; k < h; ++k) {
    const double t = (static_cast<double>(k) - static_cast<double>(h - 1) / 2.0) / h;
    const double phase = t - std::floor(t);
    sum += phase * (1.0 - phase);
  }
  return sum / static_cast<double>(h) * static_cast<double>(h * h);
}

// The box passes on cells of side h for a blur of `sigma` fine pixels.
PassWeights CellPass(double sigma, std::int64_t h) {
  const double cell_area_variance = static_cast<double>(h * h - 1) / 12.0;
  const double left = sigma * sigma - cell_area_variance - InterpolationVariance(h);
  const BoxKernel box = BoxForVariance(std::max(left, 0.0) / static_cast<double>(h * h) / 3.0);
  return {box.half_width, box.end_weight,
          1.0 / (2.0 * box.half_width + 1.0 + 2.0 * box.end_weight)};
}

// The cells as a float world. A float world holds its own cells: cell row j in the last row of
// its own block of hy rows (rowbytes hy rows apart), written once the block has been read, so
// decimation takes no memory beside it. Integer worlds' rows are too short for that, and their
// cells come from the pool (less than the exact blur's intermediate image).
struct CellWorld {
  PixelMemory memory;
  World world;
  CellWorld(const World& fine, std::int64_t hx, std::int64_t hy) {
    const std::int64_t width = fine.width() / hx, height = fine.height() / hy;
    world.depth = Depth::k32;
    world.effect_world.width = static_cast<A_long>(width);
    world.effect_world.height = static_cast<A_long>(height);
    if (fine.depth == Depth::k32) {
      world.effect_world.rowbytes = static_cast<A_long>(hy * fine.effect_world.rowbytes);
      world.effect_world.data =
          reinterpret_cast<PF_PixelPtr>(fine.row(static_cast<A_long>(hy - 1)));
    } else {
      const std::size_t row = static_cast<std::size_t>(width) * sizeof(PF_PixelFloat);
      memory = AcquirePixelMemory(row * static_cast<std::size_t>(height));
      world.effect_world.rowbytes = static_cast<A_long>(row);
      world.effect_world.data = reinterpret_cast<PF_PixelPtr>(memory.get());
    }
  }
  PF_PixelFloat* row(std::int64_t y) const {
    return world.pixel<PF_PixelFloat>(0, static_cast<A_long>(y));
  }
};

// Cell (i, j) = the mean of its pixels' working values (normalised; colour times alpha when
// straight). The cell's rows are summed first, along whole rows (in vector lanes), then across
// each cell; integer products add up exactly (32 bits hold 64 x 64 products of 255 x 255, 64
// bits those of 16 bits), float ones in double.
template <class D>
using CellSum = std::conditional_t<
    D::kLimited, std::conditional_t<sizeof(typename D::Channel) == 1, std::uint32_t, std::uint64_t>,
    double>;

template <class D, bool kStraight>
VELMORA_VECTOR_CLONES void AddRowToSums(const typename D::Pixel* in, std::int64_t width,
                                        CellSum<D>* sums) {
  using Sum = CellSum<D>;
  for (std::int64_t x = 0; x < width; ++x) {
    if constexpr (D::kLimited) {
      const auto full = static_cast<Sum>(D::kFullScale);
      const Sum weight = kStraight ? static_cast<Sum>(in[x].alpha) : full;
      sums[x * kChannels] += static_cast<Sum>(in[x].alpha) * full;
      sums[x * kChannels + 1] += static_cast<Sum>(in[x].red) * weight;
      sums[x * kChannels + 2] += static_cast<Sum>(in[x].green) * weight;
      sums[x * kChannels + 3] += static_cast<Sum>(in[x].blue) * weight;
    } else {
      float v[kChannels];
      LoadWorking<kStraight>(in[x], v);
      for (int c = 0; c < kChannels; ++c) sums[x * kChannels + c] += static_cast<double>(v[c]);
    }
  }
}

template <class D, bool kStraight>
void AverageCells(const World& world, std::int64_t hx, std::int64_t hy, const CellWorld& cells) {
  using Pixel = typename D::Pixel;
  using Sum = CellSum<D>;
  const std::int64_t width = world.width(), cells_x = width / hx;
  const double per_cell =
      1.0 / (static_cast<double>(hx * hy) *
             (D::kLimited ? double{D::kFullScale} * double{D::kFullScale} : 1.0));
  ParallelFor(world.height() / hy, [&](std::int64_t j, int) {
    thread_local std::vector<Sum> sums;
    sums.assign(static_cast<std::size_t>(width) * kChannels, Sum{});
    for (std::int64_t y = j * hy; y < (j + 1) * hy; ++y) {
      AddRowToSums<D, kStraight>(world.pixel<Pixel>(0, static_cast<A_long>(y)), width, sums.data());
    }
    PF_PixelFloat* out = cells.row(j);
    for (std::int64_t i = 0; i < cells_x; ++i) {
      Sum cell[kChannels] = {};
      for (std::int64_t x = i * hx; x < (i + 1) * hx; ++x) {
        for (int c = 0; c < kChannels; ++c)
          cell[c] += sums[static_cast<std::size_t>(x * kChannels + c)];
      }
      out[i] = PF_PixelFloat{static_cast<float>(static_cast<double>(cell[0]) * per_cell),
                             static_cast<float>(static_cast<double>(cell[1]) * per_cell),
                             static_cast<float>(static_cast<double>(cell[2]) * per_cell),
                             static_cast<float>(static_cast<double>(cell[3]) * per_cell)};
    }
  });
}

// Where fine position p falls between cell centres: the lower cell and the upper one's weight,
// the outermost pair extrapolating beyond the outermost centres.
struct Tap {
  std::int64_t lower;
  float weight;
};

std::vector<Tap> Taps(std::int64_t side, std::int64_t h) {
  const std::int64_t cells = side / h;
  std::vector<Tap> taps(static_cast<std::size_t>(side));
  for (std::int64_t p = 0; p < side; ++p) {
    // Centre of cell i: i h + (h - 1) / 2; in halves, to stay exact.
    const std::int64_t twice = 2 * p - (h - 1);
    std::int64_t lower = twice >= 0 ? twice / (2 * h) : -((-twice + 2 * h - 1) / (2 * h));
    lower = std::clamp<std::int64_t>(lower, 0, cells - 2);
    const double offset = static_cast<double>(twice - 2 * h * lower) / static_cast<double>(2 * h);
    taps[static_cast<std::size_t>(p)] = {lower, static_cast<float>(offset)};
  }
  return taps;
}

// A row of cells interpolated across to the world's width: the gathers are made once a row of
// cells, and the world's rows then mix two such rows along contiguous values.
void WidenCellRow(const PF_PixelFloat* row, const std::vector<Tap>& xs, float* out) {
  for (std::size_t x = 0; x < xs.size(); ++x) {
    const float* a = &row[xs[x].lower].alpha;
    const float weight = xs[x].weight, lower_weight = 1.0f - xs[x].weight;
    for (int c = 0; c < kChannels; ++c) {
      out[x * kChannels + c] = lower_weight * a[c] + weight * a[c + kChannels];
    }
  }
}

// kLinePixels pixels mixed from two widened rows, divided by their alpha when straight and
// stored; lane order is the pixels' own (alpha, red, green, blue).
template <class D, bool kStraight>
[[gnu::always_inline]] inline void MixBlock(const float* a, const float* b, float weight,
                                            typename D::Pixel* stored) {
  const float lower_weight = 1.0f - weight;
  float lanes[kLanes];
  for (int l = 0; l < kLanes; ++l) lanes[l] = lower_weight * a[l] + weight * b[l];
  float factor[kLanes];
  for (int p = 0; p < kLinePixels; ++p) {
    const float alpha = lanes[p * kChannels];
    const float per_alpha = alpha > kNoAlpha ? 1.0f / alpha : 0.0f;
    factor[p * kChannels] = 1.0f;
    for (int c = 1; c < kChannels; ++c) factor[p * kChannels + c] = kStraight ? per_alpha : 1.0f;
  }
  std::array<typename D::Channel, kLanes> channels;
  for (int l = 0; l < kLanes; ++l) channels[l] = ToChannel<D>(lanes[l] * factor[l]);
  std::memcpy(stored, channels.data(), sizeof(channels));
}

template <class D, bool kStraight>
VELMORA_VECTOR_CLONES void MixRow(const float* a, const float* b, float weight, std::int64_t width,
                                  typename D::Pixel* out) {
  using Pixel = typename D::Pixel;
  std::int64_t x = 0;
  for (; x + kLinePixels <= width; x += kLinePixels) {
    MixBlock<D, kStraight>(a + x * kChannels, b + x * kChannels, weight, out + x);
  }
  if (x < width) {
    const std::int64_t left = width - x;
    float tail_a[kLanes] = {}, tail_b[kLanes] = {};
    std::copy_n(a + x * kChannels, left * kChannels, tail_a);
    std::copy_n(b + x * kChannels, left * kChannels, tail_b);
    Pixel stored[kLinePixels];
    MixBlock<D, kStraight>(tail_a, tail_b, weight, stored);
    std::copy_n(stored, left, out + x);
  }
}

// The world's rows between each pair of neighbouring cell rows (and beyond the outermost, by
// extrapolation) mixed from those two rows widened; one pair per task. Pair j writes rows from
// cell row j's centre up to cell row j + 1's, which hold no cell row but j's own (a float
// world's cells live in it); the pairs go in groups whose cell rows are copied out first.
template <class D, bool kStraight>
void InterpolateCells(const CellWorld& cells, const World& world, std::int64_t hx,
                      std::int64_t hy) {
  using Pixel = typename D::Pixel;
  const std::int64_t width = world.width(), height = world.height();
  const std::int64_t cells_x = cells.world.width();
  const std::vector<Tap> xs = Taps(width, hx), ys = Taps(height, hy);
  // Rows with the same lower cell row are contiguous: first[j] is the first of pair j's.
  const std::int64_t pairs = cells.world.height() - 1;
  std::vector<std::int64_t> first(static_cast<std::size_t>(pairs) + 1, height);
  for (std::int64_t y = height - 1; y >= 0; --y) {
    first[static_cast<std::size_t>(ys[static_cast<std::size_t>(y)].lower)] = y;
  }
  for (std::int64_t j = pairs - 1; j >= 0; --j) {
    first[static_cast<std::size_t>(j)] =
        std::min(first[static_cast<std::size_t>(j)], first[static_cast<std::size_t>(j) + 1]);
  }
  constexpr std::int64_t kGroup = 64, kRun = 8;
  std::vector<PF_PixelFloat> copied(static_cast<std::size_t>((kGroup + 1) * cells_x));
  for (std::int64_t group = 0; group < pairs; group += kGroup) {
    const std::int64_t count = std::min(kGroup, pairs - group);
    for (std::int64_t r = 0; r <= count; ++r) {
      std::copy_n(cells.row(group + r), cells_x, copied.data() + r * cells_x);
    }
    // A task takes a run of pairs, so each widened row serves both pairs it belongs to.
    const std::int64_t runs = (count + kRun - 1) / kRun;
    ParallelFor(runs, [&](std::int64_t run, int) {
      thread_local std::vector<float> lower, upper;
      lower.resize(static_cast<std::size_t>(width) * kChannels);
      upper.resize(lower.size());
      const std::int64_t begin = run * kRun, end = std::min(count, begin + kRun);
      WidenCellRow(copied.data() + begin * cells_x, xs, upper.data());
      for (std::int64_t p = begin; p < end; ++p) {
        std::swap(lower, upper);
        WidenCellRow(copied.data() + (p + 1) * cells_x, xs, upper.data());
        const std::int64_t j = group + p;
        for (std::int64_t y = first[static_cast<std::size_t>(j)];
             y < first[static_cast<std::size_t>(j) + 1]; ++y) {
          MixRow<D, kStraight>(lower.data(), upper.data(), ys[static_cast<std::size_t>(y)].weight,
                               width, world.pixel<Pixel>(0, static_cast<A_long>(y)));
        }
      }
    });
  }
}

// Long windows go through cells only when both sides are decimated and the cells, with their
// line buffers, take no more of the pool than the exact blur would (BlurScratchBytes): a frame
// never needs more memory for it. In float, whose exact blur needs only its line buffers, that
// keeps the smallest cells to the widest windows.
bool DecimationFits(const World& world, std::int64_t hx, std::int64_t hy) {
  if (hx < 2 || hy < 2) return false;
  if (world.depth == Depth::k32) return true;  // its cells live in it; their lines are shorter
  // Counted for one thread, so the choice (and the picture) does not depend on the number of
  // threads; with more, both sides grow by line buffers, the cells' being the shorter.
  const std::int64_t cells_x = world.width() / hx, cells_y = world.height() / hy;
  const std::uint64_t cells = ImageBytes(cells_x, cells_y, sizeof(float)) +
                              2 * LineValues(cells_x, cells_y) * sizeof(float);
  return cells <= BlurScratchBytes(world.depth, world.width(), world.height(), 1);
}

template <class D, bool kStraight>
void BlurDecimated(const World& world, double sigma, std::int64_t hx, std::int64_t hy) {
  const CellWorld cells(world, hx, hy);
  AverageCells<D, kStraight>(world, hx, hy, cells);
  BlurWorld<DepthFloat, false>(cells.world, CellPass(sigma, hy), CellPass(sigma, hx));
  InterpolateCells<D, kStraight>(cells, world, hx, hy);
}

static_assert(sizeof(Working<Depth8>::Value) == sizeof(std::int32_t) &&
              sizeof(Working<Depth16>::Value) == sizeof(std::int32_t) &&
              sizeof(Working<DepthFloat>::Value) == sizeof(std::int32_t));

}  // namespace

std::uint64_t BlurScratchBytes(Depth depth, std::int64_t width, std::int64_t height, int threads) {
  const std::uint64_t lines =
      2 * LineValues(width, height) * sizeof(std::int32_t) * static_cast<std::uint64_t>(threads);
  // The decimated path for long windows takes no more than this (see DecimationFits).
  switch (depth) {
    case Depth::k8:
      return lines + ImageBytes(width, height, sizeof(Working<Depth8>::Stored));
    case Depth::k16:
      return lines + ImageBytes(width, height, sizeof(Working<Depth16>::Stored));
    default:
      return lines;
  }
}

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
    using D = decltype(depth);
    const std::int64_t hx = CellSide(world.width(), sigma, kSigmaPerCell);
    const std::int64_t hy = CellSide(world.height(), sigma, kSigmaPerCell);
    if (DecimationFits(world, hx, hy)) {
      if (straight) {
        BlurDecimated<D, true>(world, sigma, hx, hy);
      } else {
        BlurDecimated<D, false>(world, sigma, hx, hy);
      }
    } else if (straight) {
      BlurWorld<D, true>(world, weights, weights);
    } else {
      BlurWorld<D, false>(world, weights, weights);
    }
    return PF_Err_NONE;
  });
}

}  // namespace hostsim::image
