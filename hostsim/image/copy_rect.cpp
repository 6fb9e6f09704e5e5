#include "hostsim/image/copy_rect.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "hostsim/image/for_each_row.h"
#include "hostsim/image/pixel_source.h"
#include "hostsim/image/pixel_traits.h"
#include "hostsim/image/rect.h"

namespace hostsim::image {
namespace {

// The source pixels one destination line reads, along one axis.
struct AxisMap {
  std::int64_t first = 0;          // first destination index written
  std::vector<std::int64_t> near;  // nearest source index of each written index
  // Bilinear taps of each written index: lower index, upper index, weight of the upper one.
  std::vector<std::int64_t> lower, upper;
  std::vector<float> weight;

  std::int64_t end() const { return first + static_cast<std::int64_t>(near.size()); }
  std::int64_t min_source() const {
    return near.empty() ? 0 : std::min(near.front(), lower.front());
  }
  std::int64_t max_source() const {
    return near.empty() ? -1 : std::max(near.back(), upper.back());
  }
};

// d0..d1 on the destination axis (world extent dst_extent) maps onto s0..s1 of the source
// axis (world extent src_extent). Both spans are non-empty.
AxisMap MapAxis(std::int64_t d0, std::int64_t d1, std::int64_t s0, std::int64_t s1,
                std::int64_t dst_extent, std::int64_t src_extent) {
  AxisMap map;
  const std::int64_t dn = d1 - d0, sn = s1 - s0;
  const std::int64_t tap_lo = std::max<std::int64_t>(s0, 0);
  const std::int64_t tap_hi = std::min(s1, src_extent) - 1;
  const double scale = static_cast<double>(sn) / static_cast<double>(dn);
  map.first = std::max<std::int64_t>(d0, 0);
  for (std::int64_t d = map.first; d < std::min(d1, dst_extent); ++d) {
    // floor((d - d0 + 1/2) * sn / dn), exact in 128 bits for any rectangle.
    const auto numerator = static_cast<__int128>(2 * (d - d0) + 1) * sn;
    const std::int64_t s = s0 + static_cast<std::int64_t>(numerator / (2 * dn));
    if (s < 0 || s >= src_extent) {
      if (map.near.empty()) map.first = d + 1;
      continue;  // the sources are monotonic, so the written indices stay contiguous
    }
    map.near.push_back(s);
    const double position =
        static_cast<double>(s0) + (static_cast<double>(d - d0) + 0.5) * scale - 0.5;
    const double below = std::floor(position);
    const auto lower = static_cast<std::int64_t>(below);
    map.lower.push_back(std::clamp(lower, tap_lo, tap_hi));
    map.upper.push_back(std::clamp(lower + 1, tap_lo, tap_hi));
    map.weight.push_back(static_cast<float>(position - below));
  }
  return map;
}

// Bilinear: each tap's colour counts by its weight times its alpha (straight colour), so
// transparent pixels lend no colour; where every tap is transparent the colour is the plain
// average.
template <class D>
typename D::Pixel Bilinear(const PixelSource& source, const AxisMap& xs, const AxisMap& ys,
                           std::int64_t i, std::int64_t j) {
  using Pixel = typename D::Pixel;
  const float wx = xs.weight[i], wy = ys.weight[j];
  const Argb taps[4] = {Load<D>(*source.at<Pixel>(xs.lower[i], ys.lower[j])),
                        Load<D>(*source.at<Pixel>(xs.upper[i], ys.lower[j])),
                        Load<D>(*source.at<Pixel>(xs.lower[i], ys.upper[j])),
                        Load<D>(*source.at<Pixel>(xs.upper[i], ys.upper[j]))};
  const float weights[4] = {(1 - wx) * (1 - wy), wx * (1 - wy), (1 - wx) * wy, wx * wy};
  Argb plain{}, weighted{};
  float alpha_weight = 0;
  for (int t = 0; t < 4; ++t) {
    const float aw = weights[t] * std::max(taps[t][0], 0.0f);
    alpha_weight += aw;
    for (int c = 0; c < 4; ++c) {
      plain[c] += weights[t] * taps[t][c];
      weighted[c] += aw * taps[t][c];
    }
  }
  Argb result = plain;
  if (alpha_weight > 0) {
    for (int c = 1; c < 4; ++c) result[c] = weighted[c] / alpha_weight;
  }
  Pixel out;
  Store<D>(result, out);
  return out;
}

// kRows: whole rows of equal width copied as bytes; otherwise pixel by pixel.
template <class D, Sampling kSampling, bool kRows>
void CopyPixels(const PixelSource& source, const World& destination, const AxisMap& xs,
                const AxisMap& ys) {
  using Pixel = typename D::Pixel;
  const std::int64_t columns = static_cast<std::int64_t>(xs.near.size());
  ForEachRow(static_cast<std::int64_t>(ys.near.size()), columns, [&](std::int64_t j) {
    Pixel* out =
        destination.pixel<Pixel>(static_cast<A_long>(xs.first), static_cast<A_long>(ys.first + j));
    if constexpr (kRows) {
      std::memcpy(out, source.at<Pixel>(xs.near.front(), ys.near[j]), columns * sizeof(Pixel));
    } else {
      for (std::int64_t i = 0; i < columns; ++i) {
        if constexpr (kSampling == Sampling::kNearest) {
          out[i] = *source.at<Pixel>(xs.near[i], ys.near[j]);
        } else {
          out[i] = Bilinear<D>(source, xs, ys, i, j);
        }
      }
    }
  });
}

}  // namespace

PF_Err CopyRect(const World& source, const World& destination, const PF_Rect* source_rect,
                const PF_Rect* destination_rect, Sampling sampling) {
  if (source.depth != destination.depth) return PF_Err_BAD_CALLBACK_PARAM;
  const Box from = RectOr(source_rect, source);
  const Box to = RectOr(destination_rect, destination);
  if (from.empty() || to.empty()) return PF_Err_NONE;

  const AxisMap xs =
      MapAxis(to.left, to.right, from.left, from.right, destination.width(), source.width());
  const AxisMap ys =
      MapAxis(to.top, to.bottom, from.top, from.bottom, destination.height(), source.height());
  if (xs.near.empty() || ys.near.empty()) return PF_Err_NONE;

  const Box read{xs.min_source(), ys.min_source(), xs.max_source() + 1, ys.max_source() + 1};
  const Box written{xs.first, ys.first, xs.end(), ys.end()};
  const PixelSource pixels(source, read, destination, written);
  const bool same_width = from.width() == to.width();
  const bool nearest =
      sampling == Sampling::kNearest || (same_width && from.height() == to.height());

  return WithDepth(destination.depth, [&](auto depth) {
    using D = decltype(depth);
    if (nearest && same_width) {
      CopyPixels<D, Sampling::kNearest, true>(pixels, destination, xs, ys);
    } else if (nearest) {
      CopyPixels<D, Sampling::kNearest, false>(pixels, destination, xs, ys);
    } else {
      CopyPixels<D, Sampling::kBilinear, false>(pixels, destination, xs, ys);
    }
    return PF_Err_NONE;
  });
}

}  // namespace hostsim::image
