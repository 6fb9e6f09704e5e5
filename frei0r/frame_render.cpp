#include "frei0r/frame_render.h"

#include <algorithm>
#include <cstring>

#include "engine/error.h"

namespace frei0r_glow {
namespace {

// frei0r's RGBA8888 is bytes in the order R, G, B, A whatever the machine's byte order.
void StoreFrame(const std::uint32_t* frame, const hostsim::World& world) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame);
  for (A_long y = 0; y < world.height(); ++y) {
    PF_Pixel* out = world.pixel<PF_Pixel>(0, y);
    const std::uint8_t* in = bytes + static_cast<std::size_t>(y) * world.width() * 4;
    for (A_long x = 0; x < world.width(); ++x, in += 4) {
      out[x] = PF_Pixel{in[3], in[0], in[1], in[2]};
    }
  }
}

// The result lies at its origin relative to the input; what it does not cover is transparent.
void LoadFrame(const hostsim::World& result, std::uint32_t* frame, int width, int height) {
  auto* bytes = reinterpret_cast<std::uint8_t*>(frame);
  std::memset(bytes, 0, static_cast<std::size_t>(width) * height * 4);
  const A_long origin_x = result.effect_world.origin_x, origin_y = result.effect_world.origin_y;
  const A_long x_begin = std::max<A_long>(0, origin_x);
  const A_long x_end = std::min<A_long>(width, origin_x + result.width());
  const A_long y_begin = std::max<A_long>(0, origin_y);
  const A_long y_end = std::min<A_long>(height, origin_y + result.height());
  for (A_long y = y_begin; y < y_end; ++y) {
    const PF_Pixel* in = result.pixel<PF_Pixel>(x_begin - origin_x, y - origin_y);
    std::uint8_t* out = bytes + (static_cast<std::size_t>(y) * width + x_begin) * 4;
    for (A_long x = x_begin; x < x_end; ++x, ++in, out += 4) {
      out[0] = in->red;
      out[1] = in->green;
      out[2] = in->blue;
      out[3] = in->alpha;
    }
  }
}

}  // namespace

void RenderRgba8(velmora::engine::EffectSession& session, const std::uint32_t* in,
                 std::uint32_t* out, int width, int height, double seconds) {
  hostsim::WorldStore& worlds = session.host().worlds();
  const velmora::engine::OwnedWorld input(worlds, worlds.Create(hostsim::Depth::k8, width, height));
  if (!input) {
    throw velmora::engine::Error("", "the host refuses a " + std::to_string(width) + " x " +
                                         std::to_string(height) + " frame");
  }
  StoreFrame(in, *input);
  const velmora::engine::OwnedWorld result =
      session.Render(*input, velmora::engine::TimeOfSeconds(seconds), "");
  LoadFrame(*result, out, width, height);
}

}  // namespace frei0r_glow
