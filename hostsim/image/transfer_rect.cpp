#include "hostsim/image/transfer_rect.h"

#include <type_traits>

#include "hostsim/image/blend_modes.h"
#include "hostsim/image/for_each_row.h"
#include "hostsim/image/pixel_source.h"
#include "hostsim/image/pixel_traits.h"
#include "hostsim/image/rect.h"

namespace hostsim::image {
namespace {

struct BehindMode {};

template <class D, class Mode>
void TransferPixels(const PixelSource& source, const World& destination, const Box& written,
                    std::int64_t source_dx, std::int64_t source_dy, float opacity,
                    bool keep_alpha) {
  using Pixel = typename D::Pixel;
  const std::int64_t rows = written.height(), columns = written.width();
  ForEachRow(rows, columns, [&](std::int64_t j) {
    const std::int64_t y = written.top + j;
    const Pixel* in = source.at<Pixel>(written.left + source_dx, y + source_dy);
    Pixel* out =
        destination.pixel<Pixel>(static_cast<A_long>(written.left), static_cast<A_long>(y));
    for (std::int64_t i = 0; i < columns; ++i) {
      const Argb s = Load<D>(in[i]);
      const float k = opacity * Unit(s[0]);
      if (!(k > 0.0f)) continue;
      const Argb d = Load<D>(out[i]);
      Argb result;
      if constexpr (std::is_same_v<Mode, BehindMode>) {
        result = CompositeBehind(d, s, k);
      } else {
        result = CompositeOver<Mode>(d, s, k);
      }
      if (keep_alpha) result[0] = d[0];
      Store<D>(result, out[i]);
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
  AddFloorBytes(3 * static_cast<std::uint64_t>(written.width() * written.height()) *
                PixelSize(destination.depth));

  return WithDepth(destination.depth, [&](auto depth) {
    using D = decltype(depth);
    WithMode<D>(mode.xfer, [&](auto blend) {
      TransferPixels<D, decltype(blend)>(pixels, destination, written, -shift_x, -shift_y, opacity,
                                         mode.rgb_only != 0);
    });
    return PF_Err_NONE;
  });
}

}  // namespace hostsim::image
