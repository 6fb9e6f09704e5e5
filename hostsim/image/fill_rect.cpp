#include "hostsim/image/fill_rect.h"

#include <cstring>

#include "hostsim/image/for_each_row.h"
#include "hostsim/image/pixel_traits.h"
#include "hostsim/image/rect.h"

namespace hostsim::image {
namespace {

template <class D>
void FillPixels(const World& world, const Box& box, const typename D::Pixel& value) {
  using Pixel = typename D::Pixel;
  const std::int64_t rows = box.height(), columns = box.width();
  // Clearing (every byte zero, the commonest fill) goes through memset, which stores whole
  // vectors without a loop's per-pixel work.
  static constexpr Pixel kZero{};
  const bool zero = std::memcmp(&value, &kZero, sizeof(Pixel)) == 0;
  ForEachRow(rows, columns, [&](std::int64_t j) {
    Pixel* out =
        world.pixel<Pixel>(static_cast<A_long>(box.left), static_cast<A_long>(box.top + j));
    if (zero) {
      std::memset(static_cast<void*>(out), 0, static_cast<std::size_t>(columns) * sizeof(Pixel));
    } else {
      for (std::int64_t i = 0; i < columns; ++i) out[i] = value;
    }
  });
}

template <class D>
void PremultiplyPixels(const World& world, bool forward) {
  using Pixel = typename D::Pixel;
  const A_long columns = world.width();
  ForEachRow(world.height(), columns, [&](std::int64_t y) {
    Pixel* row = world.pixel<Pixel>(0, static_cast<A_long>(y));
    for (A_long x = 0; x < columns; ++x) {
      Argb v = Load<D>(row[x]);
      const float alpha = v[0];
      for (int c = 1; c < 4; ++c) {
        if (forward) {
          v[c] *= alpha;
        } else {
          v[c] = alpha > 0.0f ? v[c] / alpha : 0.0f;
        }
      }
      Store<D>(v, row[x]);
    }
  });
}

}  // namespace

PF_Err FillRect(const World& world, const PF_PixelFloat* normalized_color, const PF_Rect* rect) {
  const Box box = Intersect(RectOr(rect, world), WholeOf(world));
  if (box.empty()) return PF_Err_NONE;
  return WithDepth(world.depth, [&](auto depth) {
    using D = decltype(depth);
    typename D::Pixel value{};
    if (normalized_color != nullptr) {
      const PF_PixelFloat& c = *normalized_color;
      Store<D>(Argb{c.alpha, c.red, c.green, c.blue}, value);
    }
    FillPixels<D>(world, box, value);
    return PF_Err_NONE;
  });
}

PF_Err Premultiply(const World& world, bool forward) {
  return WithDepth(world.depth, [&](auto depth) {
    PremultiplyPixels<decltype(depth)>(world, forward);
    return PF_Err_NONE;
  });
}

}  // namespace hostsim::image
