// Whole frames through the real module: what the glow looks like, whatever calls made it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/effect/render/glow_test_support.h"

namespace {

using velmora_test::Controls;
using velmora_test::GlowRenderTest;

// A channel of any depth on the 0..1 scale.
double Channel(const hostsim::World& world, A_long x, A_long y, int channel) {
  switch (world.depth) {
    case hostsim::Depth::k8: {
      const PF_Pixel& p = *world.pixel<PF_Pixel>(x, y);
      const A_u_char c[] = {p.alpha, p.red, p.green, p.blue};
      return c[channel] / 255.0;
    }
    case hostsim::Depth::k16: {
      const PF_Pixel16& p = *world.pixel<PF_Pixel16>(x, y);
      const A_u_short c[] = {p.alpha, p.red, p.green, p.blue};
      return c[channel] / 32768.0;
    }
    case hostsim::Depth::k32: {
      const PF_PixelFloat& p = *world.pixel<PF_PixelFloat>(x, y);
      const PF_FpShort c[] = {p.alpha, p.red, p.green, p.blue};
      return c[channel];
    }
  }
  return 0.0;
}

double Red(const hostsim::World& world, A_long x, A_long y) {
  return Channel(world, x, y, 1);
}

// Soft shapes and a bright square on a dim opaque ground.
PF_PixelFloat Scene(A_long x, A_long y) {
  const bool square = x >= 10 && x < 16 && y >= 8 && y < 13;
  const float r = square ? 1.0f : 0.1f + 0.02f * static_cast<float>(x % 7);
  const float g = square ? 0.9f : 0.05f + 0.03f * static_cast<float>(y % 5);
  return PF_PixelFloat{1.0f, r, g, 0.2f};
}

TEST_F(GlowRenderTest, TheThreeDepthsAgreeWithinTheirQuantisation) {
  constexpr A_long W = 32, H = 24;
  const Controls glow{.radius = 16, .intensity = 0.8, .repeat_edges = true};
  hostsim::World* frames[3] = {};
  const hostsim::Depth depths[] = {hostsim::Depth::k8, hostsim::Depth::k16, hostsim::Depth::k32};
  for (int i = 0; i < 3; ++i) {
    RenderJournal(*MakeWorld(depths[i], W, H, Scene), glow, &frames[i]);
    ASSERT_NE(frames[i], nullptr);
  }
  // Each of the ten composites and blurs rounds at the integer depths; the float frame is the
  // reference. The tolerances are a few steps of each depth.
  const double tolerance[] = {6.0 / 255.0, 8.0 / 32768.0};
  for (int i = 0; i < 2; ++i) {
    double worst = 0.0;
    for (A_long y = 0; y < H; ++y)
      for (A_long x = 0; x < W; ++x)
        for (int c = 0; c < 4; ++c) {
          const double reference = std::min(Channel(*frames[2], x, y, c), 1.0);
          worst = std::max(worst, std::abs(Channel(*frames[i], x, y, c) - reference));
        }
    EXPECT_LE(worst, tolerance[i]) << (i == 0 ? "8-bit" : "16-bit");
  }
}

TEST_F(GlowRenderTest, ASingleDotGrowsARoundFallingGlowThatReachesWithTheRadius) {
  constexpr A_long kSize = 121, kCentre = 60;
  hostsim::World* dot = MakeWorld(hostsim::Depth::k32, kSize, kSize, [](A_long x, A_long y) {
    const float v = x == kCentre && y == kCentre ? 1.0f : 0.0f;
    return PF_PixelFloat{1.0f, v, v, v};
  });
  A_long reach[2] = {};
  const A_long radii[2] = {4, 12};
  for (int r = 0; r < 2; ++r) {
    SCOPED_TRACE(radii[r]);
    hostsim::World* out = nullptr;
    RenderJournal(*dot, Controls{.radius = radii[r]}, &out);
    ASSERT_NE(out, nullptr);
    double previous = Red(*out, kCentre, kCentre);
    for (A_long d = 1; d < kCentre; ++d) {
      const double right = Red(*out, kCentre + d, kCentre);
      const double left = Red(*out, kCentre - d, kCentre);
      const double down = Red(*out, kCentre, kCentre + d);
      const double up = Red(*out, kCentre, kCentre - d);
      EXPECT_LE(right, previous + 1e-6) << "rises again at " << d;
      EXPECT_NEAR(left, right, 1e-4 + 0.02 * right) << d;
      EXPECT_NEAR(down, right, 1e-4 + 0.02 * right) << d;
      EXPECT_NEAR(up, right, 1e-4 + 0.02 * right) << d;
      if (d == 5) {
        // Round, not square: the pixel at (3, 4) from the centre is as far as (5, 0).
        const double diagonal = Red(*out, kCentre + 3, kCentre + 4);
        EXPECT_NEAR(diagonal, right, 0.25 * right);
      }
      if (right > 1e-5) reach[r] = d;  // well above the blur's float noise
      previous = right;
    }
  }
  // Three times the radius reaches about three times as far (the reach has a small constant
  // part: the dot itself and the finest levels).
  EXPECT_GE(reach[0], 2 * radii[0]);
  EXPECT_GE(reach[1], 2.5 * reach[0]);
  EXPECT_LE(reach[1], 3.5 * reach[0]);
}

TEST_F(GlowRenderTest, RepeatedEdgesKeepTheBorderAsBrightAsTheMiddle) {
  constexpr A_long W = 40, H = 30;
  hostsim::World* grey = MakeWorld(hostsim::Depth::k32, W, H, [](A_long, A_long) {
    return PF_PixelFloat{1.0f, 0.4f, 0.4f, 0.4f};
  });
  double border_to_middle[2] = {};
  for (bool repeat : {true, false}) {
    hostsim::World* out = nullptr;
    RenderJournal(*grey, Controls{.radius = 40, .repeat_edges = repeat}, &out);
    ASSERT_NE(out, nullptr);
    border_to_middle[repeat] = Red(*out, 0, 0) / Red(*out, W / 2, H / 2);
  }
  EXPECT_GT(border_to_middle[true], 0.98);
  EXPECT_LT(border_to_middle[false], 0.97);  // the blurs draw on the dark outside
}

TEST_F(GlowRenderTest, ALevelOpacityOfZeroGivesBackTheSourceInPlace) {
  // Intensity 0.001 composites every level at opacity 0: the output is the prepared source,
  // so any shift of the window copied out of GlowWorld would show.
  constexpr A_long W = 23, H = 17;
  hostsim::World* input = Gradient(hostsim::Depth::k8, W, H);
  for (bool repeat : {true, false}) {
    SCOPED_TRACE(repeat);
    hostsim::World* out = nullptr;
    RenderJournal(*input, Controls{.radius = 100, .intensity = 0.001, .repeat_edges = repeat},
                  &out);
    ASSERT_NE(out, nullptr);
    int wrong = 0;
    for (A_long y = 0; y < H; ++y)
      for (A_long x = 0; x < W; ++x)
        for (int c = 0; c < 4; ++c) wrong += Channel(*out, x, y, c) != Channel(*input, x, y, c);
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
