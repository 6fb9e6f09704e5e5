#include "hostsim/image/fast_blur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "tests/hostsim/image/image_test_util.h"

namespace {

using namespace image_test;
using hostsim::WorldStore;
using hostsim::image::FastBlur;

constexpr PF_ModeFlags kStraight = PF_MF_Alpha_STRAIGHT;

// Spread of a blurred impulse along x and y: the standard deviations of its red channel
// (colour weighted by alpha, as composited), and its total.
struct Spread {
  double sigma_x = 0, sigma_y = 0, total = 0;
};

Spread MeasureImpulse(double radius, A_long size) {
  WorldStore store;
  World* world = store.Create(Depth::k32, size, size);
  const A_long centre = size / 2;
  Put(*world, centre, centre, Argb{1, 1, 1, 1});
  EXPECT_EQ(FastBlur(*world, radius, kStraight), PF_Err_NONE);
  double total = 0, mx = 0, my = 0, mxx = 0, myy = 0;
  for (A_long y = 0; y < size; ++y) {
    for (A_long x = 0; x < size; ++x) {
      const Argb v = Get(*world, x, y);
      const double w = v[0] * v[1];
      const double dx = x - centre, dy = y - centre;
      total += w;
      mx += w * dx;
      my += w * dy;
      mxx += w * dx * dx;
      myy += w * dy * dy;
    }
  }
  mx /= total;
  my /= total;
  return {std::sqrt(mxx / total - mx * mx), std::sqrt(myy / total - my * my), total};
}

TEST(FastBlur, ImpulseSpreadsWithSigmaOfHalfTheRadiusAndKeepsItsEnergy) {
  double previous = 0;
  for (double radius : {0.4, 0.8, 1.6, 3.2, 6.4, 12.8, 25.6, 51.2}) {
    SCOPED_TRACE(testing::Message() << "radius " << radius);
    const Spread spread = MeasureImpulse(radius, static_cast<A_long>(radius * 4 + 33));
    EXPECT_NEAR(spread.sigma_x, radius / 2, radius / 2 * 0.03);
    EXPECT_NEAR(spread.sigma_y, radius / 2, radius / 2 * 0.03);
    EXPECT_NEAR(spread.total, 1.0, 1e-4);
    EXPECT_GT(spread.sigma_x, previous);
    previous = spread.sigma_x;
  }
}

TEST(FastBlur, SpreadGrowsSmoothlyThroughFractionalRadii) {
  double previous = MeasureImpulse(0.05, 21).sigma_x;
  EXPECT_GT(previous, 0.0);
  for (double radius = 0.1; radius <= 3.0; radius += 0.1) {
    const double sigma = MeasureImpulse(radius, 21).sigma_x;
    EXPECT_GT(sigma, previous) << "radius " << radius;
    EXPECT_LT(sigma - previous, 0.1) << "radius " << radius;  // no jumps
    previous = sigma;
  }
}

TEST(FastBlur, SmallestGlowRadiusBlursVisiblyAtEightBits) {
  WorldStore store;
  World* world = store.Create(Depth::k8, 9, 9);
  FillWorld(*world, Argb{1, 0, 0, 0});
  Put(*world, 4, 4, Argb{1, 1, 1, 1});
  ASSERT_EQ(FastBlur(*world, 0.4, kStraight), PF_Err_NONE);
  EXPECT_LT(GetRaw(*world, 4, 4)[1], 255);
  EXPECT_GT(GetRaw(*world, 3, 4)[1], 0);
  EXPECT_GT(GetRaw(*world, 4, 5)[1], 0);
}

TEST(FastBlur, ConstantOpaqueImageStaysConstantAwayFromTheEdgesAndFadesAtThem) {
  for (Depth depth : kDepths) {
    SCOPED_TRACE(testing::Message() << "depth " << static_cast<int>(depth));
    WorldStore store;
    World* world = store.Create(depth, 60, 40);
    const Argb colour{1, 0.25f, 0.5f, 0.75f};
    FillWorld(*world, colour);
    ASSERT_EQ(FastBlur(*world, 6.0, kStraight), PF_Err_NONE);  // sigma 3
    const double tolerance = depth == Depth::k32 ? 1e-5 : 1.0 / FullScale(depth);
    for (A_long y = 15; y < 25; ++y) {
      for (A_long x = 15; x < 45; ++x) {
        const Argb v = Get(*world, x, y);
        for (int c = 0; c < 4; ++c) ASSERT_NEAR(v[c], colour[c], tolerance) << x << "," << y;
      }
    }
    // Outside is transparent black: alpha fades towards the edge, straight colour stays.
    const Argb corner = Get(*world, 0, 0), edge = Get(*world, 30, 0);
    EXPECT_LT(corner[0], edge[0]);
    EXPECT_LT(edge[0], 0.6f);
    EXPECT_GT(edge[0], 0.3f);
    for (int c = 1; c < 4; ++c) EXPECT_NEAR(corner[c], colour[c], 2 * tolerance);
  }
}

TEST(FastBlur, DepthsAgreeWithinTheirQuantisation) {
  // A square exactly representable at every depth, blurred at each.
  auto blurred = [](WorldStore& store, Depth depth) {
    World* world = store.Create(depth, 48, 40);
    for (A_long y = 0; y < 40; ++y)
      for (A_long x = 0; x < 48; ++x)
        Put(*world, x, y,
            x >= 12 && x < 30 && y >= 10 && y < 28 ? Argb{1, 1, 0, 1} : Argb{1, 0, 0, 0});
    EXPECT_EQ(FastBlur(*world, 7.3, kStraight), PF_Err_NONE);
    return world;
  };
  WorldStore store;
  const World* reference = blurred(store, Depth::k32);
  for (Depth depth : {Depth::k8, Depth::k16}) {
    const World* world = blurred(store, depth);
    const double step = 1.0 / FullScale(depth);
    for (A_long y = 0; y < 40; ++y) {
      for (A_long x = 0; x < 48; ++x) {
        const Argb a = Get(*world, x, y), b = Get(*reference, x, y);
        for (int c = 0; c < 4; ++c) ASSERT_NEAR(a[c], b[c], step * 0.5 + 1e-5) << x << "," << y;
      }
    }
  }
}

TEST(FastBlur, TransparentPixelsLendNoColour) {
  for (Depth depth : kDepths) {
    SCOPED_TRACE(testing::Message() << "depth " << static_cast<int>(depth));
    WorldStore store;
    World* world = store.Create(depth, 40, 12);
    for (A_long y = 0; y < 12; ++y)
      for (A_long x = 0; x < 40; ++x)
        Put(*world, x, y, x < 20 ? Argb{1, 1, 0, 0} : Argb{0, 0, 1, 1});  // red | clear cyan
    ASSERT_EQ(FastBlur(*world, 10.0, kStraight), PF_Err_NONE);
    const double tolerance = depth == Depth::k32 ? 1e-4 : 1.0 / FullScale(depth);
    for (A_long x = 0; x < 40; ++x) {
      const Argb v = Get(*world, x, 6);
      if (v[0] < 1e-6f) continue;  // beyond the kernel: nothing reached
      EXPECT_NEAR(v[1], 1.0, tolerance) << x;
      EXPECT_NEAR(v[2], 0.0, tolerance) << x;
      EXPECT_NEAR(v[3], 0.0, tolerance) << x;
    }
    EXPECT_GT(Get(*world, 25, 6)[0], 0.0f);  // the red did spread into the clear side
  }
}

TEST(FastBlur, RadiusLargerThanTheWorldFadesItUniformly) {
  for (double radius : {30.0, 1024.0}) {
    WorldStore store;
    World* world = store.Create(Depth::k32, 5, 3);
    FillWorld(*world, Argb{1, 0.2f, 0.4f, 0.6f});
    ASSERT_EQ(FastBlur(*world, radius, kStraight), PF_Err_NONE);
    const Argb first = Get(*world, 0, 0);
    EXPECT_LT(first[0], 0.01f);
    for (A_long y = 0; y < 3; ++y) {
      for (A_long x = 0; x < 5; ++x) EXPECT_EQ(Get(*world, x, y), first) << radius;
    }
  }
}

// How far a blur reaches from a pixel on each axis: three passes of n + 1 taps.
A_long Reach(double radius) {
  const double sigma = hostsim::image::BlurSigma(radius);
  return static_cast<A_long>(3 *
                             (hostsim::image::BoxForVariance(sigma * sigma / 3).half_width + 1));
}

// Single-precision running sums left about 2e-10 of the value behind (streaks on bright frames).
TEST(FastBlur, AHugeValueLeavesNoResidueBeyondItsReach) {
  WorldStore store;
  World* world = store.Create(Depth::k32, 400, 300);
  FillWorld(*world, Argb{1, 0, 0, 0});
  const A_long cx = 120, cy = 150;
  *world->pixel<PF_PixelFloat>(cx, cy) = PF_PixelFloat{1, 1e9f, 1e9f, 1e9f};
  ASSERT_EQ(FastBlur(*world, 50.0, kStraight), PF_Err_NONE);
  const A_long reach = Reach(50.0);
  for (A_long y = 0; y < 300; ++y) {
    for (A_long x = 0; x < 400; ++x) {
      if (std::abs(x - cx) <= reach && std::abs(y - cy) <= reach) continue;
      ASSERT_LE(std::abs(world->pixel<PF_PixelFloat>(x, y)->red), 1e-12 * 1e9) << x << "," << y;
    }
  }
}

TEST(FastBlur, AConstantFrameComesBackExactlyAwayFromTheEdges) {
  const std::pair<Depth, Raw> cases[] = {{Depth::k8, {255, 7, 128, 254}},
                                         {Depth::k16, {32768, 3, 16384, 32767}},
                                         {Depth::k32, {1, 4097.25, 1e-3, 1e7}}};
  for (const auto& [depth, value] : cases) {
    SCOPED_TRACE(testing::Message() << "depth " << static_cast<int>(depth));
    WorldStore store;
    World* world = store.Create(depth, 90, 70);
    for (A_long y = 0; y < 70; ++y)
      for (A_long x = 0; x < 90; ++x) PutRaw(*world, x, y, value);
    const Raw stored = GetRaw(*world, 0, 0);
    ASSERT_EQ(FastBlur(*world, 9.0, kStraight), PF_Err_NONE);
    const A_long reach = Reach(9.0);
    for (A_long y = reach; y < 70 - reach; ++y)
      for (A_long x = reach; x < 90 - reach; ++x)
        ASSERT_EQ(GetRaw(*world, x, y), stored) << x << "," << y;
  }
}

// 8 and 16 bits blur fixed-point values with 32-bit running sums: a window thousands of pixels
// long over a bright frame must still add up (an overflowing sum shows as a wrong colour). The
// frame fades towards its sides, so alpha is small and straight colour is only as precise as
// the weighted colour leaves it (finer at 8 bits, whose products are exact).
TEST(FastBlur, IntegerDepthsKeepTheColourOfABrightFrameUnderLongWindows) {
  const std::pair<Depth, double> cases[] = {{Depth::k8, 1.0 / 255}, {Depth::k16, 1e-3}};
  for (const auto& [depth, tolerance] : cases) {
    SCOPED_TRACE(testing::Message() << "depth " << static_cast<int>(depth));
    WorldStore store;
    World* world = store.Create(depth, 4200, 800);
    const Argb colour{1, 1, 0.5f, 0.75f};
    FillWorld(*world, colour);
    ASSERT_EQ(FastBlur(*world, 2400.0, kStraight), PF_Err_NONE);  // windows of 2400 pixels
    for (A_long x = 1000; x < 3200; x += 100) {
      const Argb v = Get(*world, x, 400);
      ASSERT_GT(v[0], 0.0f) << x;
      ASSERT_LT(v[0], 0.2f) << x;
      for (int c = 1; c < 4; ++c) ASSERT_NEAR(v[c], colour[c], tolerance) << x << " " << c;
    }
  }
}

// A non-finite sample counts as 0 while blurring (as does a colour whose weighting by alpha
// overflows): the frame comes out as if the pixel held the counted value, finite everywhere.
TEST(FastBlur, NonFiniteSamplesCountAsZero) {
  struct Case {
    PF_PixelFloat bad, counted;
  };
  const Case cases[] = {{{1, NAN, 0.5f, 0.5f}, {1, 0, 0.5f, 0.5f}},
                        {{1, INFINITY, 0.5f, 0.5f}, {1, 0, 0.5f, 0.5f}},
                        {{NAN, 0.5f, 0.5f, 0.5f}, {0, 0.5f, 0.5f, 0.5f}},
                        {{-INFINITY, 0.5f, 0.5f, 0.5f}, {0, 0.5f, 0.5f, 0.5f}},
                        {{3e38f, 3e38f, 0, 0}, {3e38f, 0, 0, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bad.alpha << " " << c.bad.red);
    WorldStore store;
    World* world = store.Create(Depth::k32, 120, 60);
    World* clean = store.Create(Depth::k32, 120, 60);
    for (World* w : {world, clean})
      for (A_long y = 0; y < 60; ++y)
        for (A_long x = 0; x < 120; ++x) Put(*w, x, y, Argb{1, x / 120.0f, 0.25f, 1.5f});
    *world->pixel<PF_PixelFloat>(30, 20) = c.bad;
    *clean->pixel<PF_PixelFloat>(30, 20) = c.counted;
    ASSERT_EQ(FastBlur(*world, 8.0, kStraight), PF_Err_NONE);
    ASSERT_EQ(FastBlur(*clean, 8.0, kStraight), PF_Err_NONE);
    for (A_long y = 0; y < 60; ++y) {
      for (A_long x = 0; x < 120; ++x) {
        const Argb v = Get(*world, x, y);
        for (int ch = 0; ch < 4; ++ch) ASSERT_TRUE(std::isfinite(v[ch])) << x << "," << y;
        ASSERT_EQ(v, Get(*clean, x, y)) << x << "," << y;
      }
    }
  }
}

TEST(FastBlur, DegenerateRadii) {
  WorldStore store;
  World* world = store.Create(Depth::k8, 3, 3);
  Put(*world, 1, 1, Argb{1, 1, 1, 1});
  for (double bad : {-1.0, std::nan(""), double{INFINITY}}) {
    EXPECT_EQ(FastBlur(*world, bad, kStraight), PF_Err_BAD_CALLBACK_PARAM) << bad;
  }
  EXPECT_EQ(FastBlur(*world, 0.0, kStraight), PF_Err_NONE);  // radius 0: nothing moves
  EXPECT_EQ(GetRaw(*world, 1, 1)[1], 255);
  EXPECT_EQ(GetRaw(*world, 0, 1)[1], 0);
  World* empty = store.Create(Depth::k16, 0, 0);
  EXPECT_EQ(FastBlur(*empty, 5.0, kStraight), PF_Err_NONE);
}

}  // namespace

namespace {

// The blur as defined, in double precision: per axis three box passes of variance sigma^2 / 3
// with zero outside the world in every pass; colour weighted by alpha when straight. Returns
// alpha and weighted colour, normalised, row by row.
using Sample = std::array<double, 4>;
std::vector<Sample> ExactBlur(const World& world, double radius, bool straight) {
  const A_long width = world.width(), height = world.height();
  std::vector<Sample> image(static_cast<std::size_t>(width) * height);
  for (A_long y = 0; y < height; ++y) {
    for (A_long x = 0; x < width; ++x) {
      const Argb v = Get(world, x, y);
      const double weight = straight ? std::max(0.0f, v[0]) : 1.0;
      image[static_cast<std::size_t>(y) * width + x] = {v[0], v[1] * weight, v[2] * weight,
                                                        v[3] * weight};
    }
  }
  const double sigma = hostsim::image::BlurSigma(radius);
  const auto box = hostsim::image::BoxForVariance(sigma * sigma / 3.0);
  const std::int64_t n = box.half_width;
  const double f = box.end_weight, scale = 1.0 / (2.0 * n + 1.0 + 2.0 * f);
  auto pass = [&](A_long length, A_long lines, auto at) {
    std::vector<Sample> line(static_cast<std::size_t>(length));
    for (A_long l = 0; l < lines; ++l) {
      for (int round = 0; round < 3; ++round) {
        for (A_long i = 0; i < length; ++i) line[static_cast<std::size_t>(i)] = at(l, i);
        auto tap = [&](std::int64_t i) {
          return i >= 0 && i < length ? line[static_cast<std::size_t>(i)] : Sample{};
        };
        // Prefix sums: prefix[i] holds the sum of the first i samples.
        std::vector<Sample> prefix(static_cast<std::size_t>(length) + 1);
        for (A_long i = 0; i < length; ++i) {
          for (int c = 0; c < 4; ++c) {
            prefix[static_cast<std::size_t>(i) + 1][c] =
                prefix[static_cast<std::size_t>(i)][c] + line[static_cast<std::size_t>(i)][c];
          }
        }
        for (A_long i = 0; i < length; ++i) {
          const auto first = static_cast<std::size_t>(std::max<std::int64_t>(i - n, 0));
          const auto end = static_cast<std::size_t>(std::min<std::int64_t>(i + n + 1, length));
          Sample sum{};
          for (int c = 0; c < 4; ++c) sum[c] = prefix[end][c] - prefix[first][c];
          for (int c = 0; c < 4; ++c) {
            sum[c] = (sum[c] + f * (tap(i - n - 1)[c] + tap(i + n + 1)[c])) * scale;
          }
          at(l, i) = sum;
        }
      }
    }
  };
  auto pixel = [&](A_long x, A_long y) -> Sample& {
    return image[static_cast<std::size_t>(y) * width + x];
  };
  pass(height, width, [&](A_long x, A_long y) -> Sample& { return pixel(x, y); });
  pass(width, height, [&](A_long y, A_long x) -> Sample& { return pixel(x, y); });
  return image;
}

struct Picture {
  const char* name;
  Argb (*at)(A_long x, A_long y);
};

// Hard edges in colour and in alpha, and a bright HDR spot on a dim ground (held at full
// scale at the integer depths).
const Picture kPictures[] = {
    {"opaque blocks",
     [](A_long x, A_long y) {
       const bool on = ((x / 37) + (y / 23)) % 2 == 0;
       return Argb{1.0f, on ? 1.0f : 0.0f, on ? 0.5f : 1.0f, 0.0f};
     }},
    {"hard alpha",
     [](A_long x, A_long y) {
       const bool on = x > 90 && x < 200 && y > 40 && y < 170;
       return on ? Argb{1.0f, 0.9f, 0.2f, 1.0f} : Argb{0.0f, 0.0f, 0.0f, 0.0f};
     }},
    {"bright spots",
     [](A_long x, A_long y) {
       const bool spot = (x % 97 < 3 && y % 71 < 3) || (x > 150 && x < 160 && y > 100);
       return spot ? Argb{1.0f, 800.0f, 200.0f, 40.0f} : Argb{1.0f, 0.02f, 0.05f, 0.1f};
     }},
};

}  // namespace

// Long windows may be served from a decimated copy; every sample stays within the bound the
// host states: 1/255 of full scale at 8 and 16 bits (alpha, and colour weighted by the blurred
// alpha), and in float 1/255 of the picture's brightest value.
TEST(FastBlur, LongWindowsStayWithinTheStatedBoundOfTheExactBlur) {
  constexpr A_long kWidth = 360, kHeight = 240;
  for (Depth depth : kDepths) {
    const double full = FullScale(depth);
    for (const Picture& picture : kPictures) {
      for (double radius : {3.0, 24.0, 60.0, 150.0, 400.0}) {
        for (bool straight : {true, false}) {
          SCOPED_TRACE(testing::Message() << FullScale(depth) << " " << picture.name << " radius "
                                          << radius << (straight ? " straight" : " premultiplied"));
          WorldStore store;
          World* world = store.Create(depth, kWidth, kHeight);
          double brightest = 0.0;
          for (A_long y = 0; y < kHeight; ++y) {
            for (A_long x = 0; x < kWidth; ++x) {
              Put(*world, x, y, picture.at(x, y));
              const Argb stored = Get(*world, x, y);
              for (float v : stored) brightest = std::max(brightest, std::abs(double{v}));
            }
          }
          const std::vector<Sample> exact = ExactBlur(*world, radius, straight);
          ASSERT_EQ(FastBlur(*world, radius, straight ? kStraight : PF_MF_Alpha_PREMUL),
                    PF_Err_NONE);
          const double bound = (depth == Depth::k32 ? brightest : 1.0) / 255.0;
          double worst = 0.0;
          for (A_long y = 0; y < kHeight; ++y) {
            for (A_long x = 0; x < kWidth; ++x) {
              const Argb got = Get(*world, x, y);
              const Sample& want = exact[static_cast<std::size_t>(y) * kWidth + x];
              worst = std::max(worst, std::abs(got[0] - want[0]));
              for (int c = 1; c < 4; ++c) {
                const double want_colour =
                    !straight ? want[c] : (want[0] > 1e-7 ? want[c] / want[0] : 0.0);
                const double weight = straight ? std::max(0.0, want[0]) : 1.0;
                worst = std::max(worst, std::abs(got[c] - want_colour) * weight);
              }
            }
          }
          EXPECT_LE(worst, bound) << "worst " << worst * (depth == Depth::k32 ? 1.0 : full);
        }
      }
    }
  }
}

// The blur's results are pinned bit for bit: reworking how the passes are scheduled must not
// move a single sample. A digest of every stored byte of a noisy world after the blur, for
// windows shorter than the lines, about as long, longer, and on the decimated path, at each
// depth, straight and premultiplied. The worlds' sides are not multiples of the 16-line strips.
std::uint64_t Digest(const World& world) {
  std::uint64_t hash = 1469598103934665603ull;
  const std::size_t bytes =
      static_cast<std::size_t>(world.width()) * hostsim::PixelSize(world.depth);
  for (A_long y = 0; y < world.height(); ++y) {
    const auto* row = reinterpret_cast<const unsigned char*>(world.row(y));
    for (std::size_t i = 0; i < bytes; ++i) hash = (hash ^ row[i]) * 1099511628211ull;
  }
  return hash;
}

TEST(FastBlur, ResultsArePinnedBitForBit) {
  struct Case {
    A_long width, height;
    double radius;
  };
  const Case cases[] = {{37, 23, 0.6},  {37, 23, 5.0},    {70, 41, 30.0},
                        {37, 23, 60.0}, {200, 120, 90.0}, {3, 50, 9.0}};
  std::vector<std::uint64_t> digests;
  for (Depth depth : kDepths) {
    for (const Case& c : cases) {
      for (bool straight : {true, false}) {
        WorldStore store;
        World* world = store.Create(depth, c.width, c.height);
        std::uint32_t state = 12345;
        auto next = [&] {
          state = state * 1664525u + 1013904223u;
          return static_cast<float>(state >> 8) / static_cast<float>(1u << 24);
        };
        for (A_long y = 0; y < c.height; ++y) {
          for (A_long x = 0; x < c.width; ++x) {
            const float alpha = next() < 0.2f ? 0.0f : next();
            const float scale = depth == Depth::k32 ? 3.0f : 1.0f;  // float runs above white
            Put(*world, x, y, Argb{alpha, next() * scale, next() * scale, next() - 0.1f});
          }
        }
        ASSERT_EQ(FastBlur(*world, c.radius, straight ? kStraight : PF_MF_Alpha_PREMUL),
                  PF_Err_NONE);
        digests.push_back(Digest(*world));
      }
    }
  }
  // Depths 8, 16, float; the cases above in order; straight, then premultiplied.
  const std::vector<std::uint64_t> pinned = {
      0x317c1e3e6ae2cfb3ull, 0x396daa66efec0741ull, 0x6eb9892452c68a8cull, 0xf559b872d92b4665ull,
      0x51b3c0b76f51b4a4ull, 0x224f374f117c5428ull, 0x71682d96bb49c032ull, 0x5bb0805ca45f7d41ull,
      0xaebbfb2cbeaac2faull, 0xfab929f9dc350d3cull, 0x3ef2fecea941e5c3ull, 0x861db2ef38b85335ull,
      0xd719979404427f85ull, 0x931c367b5b71f18bull, 0x017c5e84c99ee999ull, 0x553d419efcc740b5ull,
      0xba21f94cbce656d4ull, 0x6d9be46ca89fc45dull, 0x66624ca0f336aa2bull, 0x58fc75145cc5a28aull,
      0x0faf60e91f32d12cull, 0x0e19476a76d3fbc2ull, 0x3e1c7e7b374efd55ull, 0x6c95ace145d0ade3ull,
      0x8d50df8b53b88d28ull, 0x0ddd373195897e63ull, 0x75fceea939e17141ull, 0xb47666a2757415f6ull,
      0xa757d735a01da9e2ull, 0xd126f7bbb3aa9d07ull, 0x074a97c2a94d4b8dull, 0x4a48b23204243f45ull,
      0x4b4c6e460a937bc6ull, 0xba716bada8c31598ull, 0x28acce0c729f811full, 0x57e308459d1e73f4ull,
  };
  EXPECT_EQ(digests, pinned);
}
