#include "tests/support/host_fixture.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

template <class Channel>
Channel Quantize(PF_FpShort value, double full_scale) {
  return static_cast<Channel>(std::lround(std::clamp<double>(value, 0.0, 1.0) * full_scale));
}

template <class Pixel>
Pixel Convert(const PF_PixelFloat& c);
template <>
PF_Pixel Convert(const PF_PixelFloat& c) {
  return {Quantize<A_u_char>(c.alpha, 255), Quantize<A_u_char>(c.red, 255),
          Quantize<A_u_char>(c.green, 255), Quantize<A_u_char>(c.blue, 255)};
}
template <>
PF_Pixel16 Convert(const PF_PixelFloat& c) {
  return {Quantize<A_u_short>(c.alpha, 32768), Quantize<A_u_short>(c.red, 32768),
          Quantize<A_u_short>(c.green, 32768), Quantize<A_u_short>(c.blue, 32768)};
}
template <>
PF_PixelFloat Convert(const PF_PixelFloat& c) {
  return c;
}

}  // namespace

void HostTest::Boot() {
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  ASSERT_EQ(host.SequenceSetup(), PF_Err_NONE);
  booted_ = true;
}

hostsim::World* HostTest::Keep(hostsim::World* world) {
  if (!world) throw std::runtime_error("HostTest: the host refused the world's size");
  own_worlds_.push_back(world);
  return world;
}

hostsim::World* HostTest::MakeWorld(hostsim::Depth depth, A_long width, A_long height,
                                    const ColorAt& color) {
  auto convert = [&](auto pixel_type) {
    using Pixel = decltype(pixel_type);
    return MakeWorldOf<Pixel>(width, height,
                              [&](A_long x, A_long y) { return Convert<Pixel>(color(x, y)); });
  };
  switch (depth) {
    case hostsim::Depth::k8:
      return convert(PF_Pixel{});
    case hostsim::Depth::k16:
      return convert(PF_Pixel16{});
    case hostsim::Depth::k32:
      return convert(PF_PixelFloat{});
  }
  return nullptr;
}

PF_Err HostTest::Render(const hostsim::World& input, const hostsim::FrameSettings& settings,
                        hostsim::World** output) {
  const PF_Err err = host.RenderFrame(input, settings, output);
  if (output && *output) own_worlds_.push_back(*output);
  return err;
}

void HostTest::Dispose(hostsim::World* world) {
  auto found = std::find(own_worlds_.begin(), own_worlds_.end(), world);
  if (found == own_worlds_.end()) return;
  own_worlds_.erase(found);
  host.worlds().Dispose(world);
}

void HostTest::TearDown() {
  host.faults().Reset();
  host.FinishFrame();
  if (booted_) {
    EXPECT_EQ(host.SequenceSetdown(), PF_Err_NONE);
    EXPECT_EQ(host.GlobalSetdown(), PF_Err_NONE);
  }
  for (hostsim::World* world : own_worlds_) host.worlds().Dispose(world);
  own_worlds_.clear();

  const hostsim::Leaks leaks = host.leaks();
  EXPECT_FALSE(leaks.any()) << "left behind: " << leaks.handles << " handles, " << leaks.worlds
                            << " worlds, " << leaks.suites << " suites, " << leaks.params
                            << " parameter checkouts, " << leaks.layers << " layer checkouts, "
                            << leaks.aegp_refs << " AEGP references, " << leaks.pre_render_data
                            << " pre-render data; " << leaks.bad_releases << " bad releases";
}
