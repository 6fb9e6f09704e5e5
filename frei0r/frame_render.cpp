#include "frei0r/frame_render.h"

#include <algorithm>
#include <cstring>

#include "engine/error.h"
#include "hostsim/parallel.h"

namespace frei0r_glow {
namespace {

// Rows in bands over the host's worker threads: converting a frame in and out on one thread
// while the render itself runs on all of them would cap what more threads can gain.
template <class Row>
void ForEachRowBand(A_long height, const Row& row) {
  constexpr A_long kBand = 16;
  hostsim::ParallelFor((height + kBand - 1) / kBand, [&](std::int64_t band, int) {
    const auto first = static_cast<A_long>(band * kBand);
    for (A_long y = first; y < std::min(height, first + kBand); ++y) row(y);
  });
}

// frei0r's RGBA8888 is bytes in the order R, G, B, A whatever the machine's byte order.
void StoreFrame(const std::uint32_t* frame, const hostsim::World& world) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame);
  ForEachRowBand(world.height(), [&](A_long y) {
    PF_Pixel* out = world.pixel<PF_Pixel>(0, y);
    const std::uint8_t* in = bytes + static_cast<std::size_t>(y) * world.width() * 4;
    for (A_long x = 0; x < world.width(); ++x, in += 4) {
      out[x] = PF_Pixel{in[3], in[0], in[1], in[2]};
    }
  });
}

// The result lies at its origin relative to the input; what it does not cover is transparent.
void LoadFrame(const hostsim::World& result, std::uint32_t* frame, int width, int height) {
  auto* bytes = reinterpret_cast<std::uint8_t*>(frame);
  const A_long origin_x = result.effect_world.origin_x, origin_y = result.effect_world.origin_y;
  const A_long x_begin = std::max<A_long>(0, origin_x);
  const A_long x_end = std::min<A_long>(width, origin_x + result.width());
  const A_long y_begin = std::max<A_long>(0, origin_y);
  const A_long y_end = std::min<A_long>(height, origin_y + result.height());
  ForEachRowBand(height, [&](A_long y) {
    std::uint8_t* row = bytes + static_cast<std::size_t>(y) * width * 4;
    if (y < y_begin || y >= y_end || x_begin >= x_end) {
      std::memset(row, 0, static_cast<std::size_t>(width) * 4);
      return;
    }
    std::memset(row, 0, static_cast<std::size_t>(x_begin) * 4);
    std::memset(row + static_cast<std::size_t>(x_end) * 4, 0,
                static_cast<std::size_t>(width - x_end) * 4);
    const PF_Pixel* in = result.pixel<PF_Pixel>(x_begin - origin_x, y - origin_y);
    std::uint8_t* out = row + static_cast<std::size_t>(x_begin) * 4;
    for (A_long x = x_begin; x < x_end; ++x, ++in, out += 4) {
      out[0] = in->red;
      out[1] = in->green;
      out[2] = in->blue;
      out[3] = in->alpha;
    }
  });
}

}  // namespace

void RenderRgba8(velmora::engine::EffectSession& session,
                 const velmora::engine::GlowControls& controls,
                 const velmora::engine::CompOptions& comp, const std::uint32_t* in,
                 std::uint32_t* out, int width, int height, double seconds) {
  hostsim::WorldStore& worlds = session.host().worlds();
  const velmora::engine::OwnedWorld input(worlds, worlds.Create(hostsim::Depth::k8, width, height));
  if (!input) {
    throw velmora::engine::Error("", "the host refuses a " + std::to_string(width) + " x " +
                                         std::to_string(height) + " frame");
  }
  StoreFrame(in, *input);
  const velmora::engine::OwnedWorld result = velmora::engine::RenderComposited(
      session, *input, controls, comp, velmora::engine::TimeOfSeconds(seconds), "");
  LoadFrame(*result, out, width, height);
}

}  // namespace frei0r_glow
