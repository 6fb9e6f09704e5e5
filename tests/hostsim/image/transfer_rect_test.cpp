#include "hostsim/image/transfer_rect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/hostsim/image/image_test_util.h"

namespace {

using namespace image_test;
using hostsim::WorldStore;
using hostsim::image::TransferRect;

PF_CompositeMode Mode(PF_TransferMode xfer, int opacity) {
  PF_CompositeMode mode{};
  mode.xfer = xfer;
  mode.opacity = static_cast<A_u_char>(opacity);
  mode.opacitySu = static_cast<A_u_short>(opacity);
  return mode;
}

struct BlendCase {
  PF_TransferMode xfer;
  Depth depth;
  Raw destination, source;
  int opacity;
  Raw expected;
};

// Raw channel values, alpha first. Expected values worked out by hand from the formulas in
// hostsim/image/blend_modes.h; integer depths exact, float to 1e-5.
const BlendCase kBlendCases[] = {
    // Add: d + k s, clamped at integer depths, unbounded in float.
    {PF_Xfer_ADD, Depth::k8, {255, 100, 100, 100}, {255, 200, 50, 0}, 255, {255, 255, 150, 100}},
    {PF_Xfer_ADD, Depth::k8, {255, 100, 100, 100}, {255, 200, 50, 0}, 127, {255, 200, 125, 100}},
    {PF_Xfer_ADD,
     Depth::k16,
     {32768, 20000, 1000, 0},
     {32768, 20000, 3000, 5},
     255,
     {32768, 32768, 4000, 5}},
    {PF_Xfer_ADD, Depth::k32, {1, 0.8, 2.0, -0.5}, {1, 0.7, 1.5, 0.25}, 255, {1, 1.5, 3.5, -0.25}},
    // A half-transparent source onto nothing leaves its own colour at its own alpha.
    {PF_Xfer_ADD, Depth::k8, {0, 0, 0, 0}, {128, 255, 0, 0}, 255, {128, 255, 0, 0}},
    // Screen, and in float never darker than either input above 1.
    {PF_Xfer_SCREEN, Depth::k8, {255, 100, 30, 0}, {255, 200, 60, 255}, 255, {255, 222, 83, 255}},
    {PF_Xfer_SCREEN, Depth::k8, {255, 100, 30, 0}, {128, 200, 60, 255}, 255, {255, 161, 57, 128}},
    {PF_Xfer_SCREEN,
     Depth::k16,
     {32768, 16384, 8192, 0},
     {32768, 16384, 24576, 32768},
     255,
     {32768, 24576, 26624, 32768}},
    {PF_Xfer_SCREEN, Depth::k32, {1, 2.0, 0.5, 0.5}, {1, 0.5, 3.0, 0.5}, 255, {1, 2.0, 3.0, 0.75}},
    {PF_Xfer_SCREEN, Depth::k32, {1, 2.0, 0.5, 0.5}, {1, 0.5, 3.0, 0.5}, 51, {1, 2.0, 1.0, 0.55}},
    // Multiply.
    {PF_Xfer_MULTIPLY,
     Depth::k8,
     {255, 200, 100, 255},
     {255, 128, 255, 0},
     255,
     {255, 100, 100, 0}},
    {PF_Xfer_MULTIPLY,
     Depth::k16,
     {32768, 16384, 32768, 8192},
     {32768, 16384, 8192, 32768},
     255,
     {32768, 8192, 8192, 8192}},
    {PF_Xfer_MULTIPLY, Depth::k32, {1, 2.0, 0.5, -1}, {1, 3.0, 4.0, 0.5}, 255, {1, 6.0, 2.0, -0.5}},
    // Soft light, both branches.
    {PF_Xfer_SOFT_LIGHT,
     Depth::k8,
     {255, 128, 64, 192},
     {255, 64, 192, 255},
     255,
     {255, 96, 96, 221}},
    {PF_Xfer_SOFT_LIGHT,
     Depth::k32,
     {1, 0.5, 0.25, 0.64},
     {1, 0.25, 0.75, 1.0},
     255,
     {1, 0.375, 0.375, 0.8}},
    // Behind: the source shows only where the destination is transparent.
    {PF_Xfer_BEHIND, Depth::k8, {128, 255, 0, 0}, {255, 0, 0, 0}, 255, {255, 128, 0, 0}},
    {PF_Xfer_BEHIND, Depth::k8, {0, 7, 7, 7}, {255, 10, 20, 30}, 255, {255, 10, 20, 30}},
    {PF_Xfer_BEHIND,
     Depth::k16,
     {16384, 32768, 0, 0},
     {32768, 0, 0, 32768},
     255,
     {32768, 16384, 0, 16384}},
    {PF_Xfer_BEHIND, Depth::k32, {1, 0.3, 0.3, 0.3}, {1, 5, 5, 5}, 255, {1, 0.3, 0.3, 0.3}},
    // Opacity 0 or a transparent source leave the destination as it was.
    {PF_Xfer_ADD, Depth::k8, {200, 10, 20, 30}, {255, 255, 255, 255}, 0, {200, 10, 20, 30}},
    {PF_Xfer_SCREEN, Depth::k16, {100, 1, 2, 3}, {0, 32768, 32768, 32768}, 255, {100, 1, 2, 3}},
};

TEST(TransferRect, BlendTable) {
  for (const BlendCase& c : kBlendCases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.xfer << " depth " << static_cast<int>(c.depth)
                                    << " opacity " << c.opacity << " source red " << c.source[1]);
    WorldStore store;
    World* destination = store.Create(c.depth, 1, 1);
    World* source = store.Create(c.depth, 1, 1);
    PutRaw(*destination, 0, 0, c.destination);
    PutRaw(*source, 0, 0, c.source);
    ASSERT_EQ(TransferRect(*source, *destination, nullptr, Mode(c.xfer, c.opacity),
                           PF_MF_Alpha_STRAIGHT, 0, 0),
              PF_Err_NONE);
    const Raw got = GetRaw(*destination, 0, 0);
    const double tolerance = c.depth == Depth::k32 ? 1e-5 : 1e-3;
    for (int ch = 0; ch < 4; ++ch)
      EXPECT_NEAR(got[ch], c.expected[ch], tolerance) << "channel " << ch;
  }
}

TEST(TransferRect, RefusesWhatItDoesNotOfferAndLeavesTheImage) {
  WorldStore store;
  World* destination = store.Create(Depth::k8, 2, 2);
  World* source = store.Create(Depth::k8, 2, 2);
  World* deep = store.Create(Depth::k16, 2, 2);
  FillWorld(*destination, Argb{1, 0.5f, 0.5f, 0.5f});
  FillWorld(*source, Argb{1, 1, 1, 1});
  for (PF_TransferMode xfer : {PF_TransferMode{PF_Xfer_COPY}, PF_TransferMode{PF_Xfer_OVERLAY},
                               PF_TransferMode{PF_Xfer_NONE}, PF_TransferMode{99}}) {
    EXPECT_EQ(
        TransferRect(*source, *destination, nullptr, Mode(xfer, 255), PF_MF_Alpha_STRAIGHT, 0, 0),
        PF_Err_BAD_CALLBACK_PARAM)
        << xfer;
  }
  EXPECT_EQ(TransferRect(*source, *destination, nullptr, Mode(PF_Xfer_ADD, 255), PF_MF_Alpha_PREMUL,
                         0, 0),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(TransferRect(*deep, *destination, nullptr, Mode(PF_Xfer_ADD, 255), PF_MF_Alpha_STRAIGHT,
                         0, 0),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(GetRaw(*destination, 1, 1)[1], 128);
}

// Marks which destination pixels a transfer of a 3 x 3 source touched.
std::string Footprint(const PF_Rect* source_rect, A_long dest_x, A_long dest_y) {
  WorldStore store;
  World* destination = store.Create(Depth::k8, 4, 3);
  World* source = store.Create(Depth::k8, 3, 3);
  FillWorld(*destination, Argb{1, 0, 0, 0});
  for (A_long y = 0; y < 3; ++y)
    for (A_long x = 0; x < 3; ++x) PutRaw(*source, x, y, Raw{255, double(1 + x + 3 * y), 0, 0});
  EXPECT_EQ(TransferRect(*source, *destination, source_rect, Mode(PF_Xfer_ADD, 255),
                         PF_MF_Alpha_STRAIGHT, dest_x, dest_y),
            PF_Err_NONE);
  std::string rows;
  for (A_long y = 0; y < 3; ++y) {
    for (A_long x = 0; x < 4; ++x) rows += static_cast<char>('0' + GetRaw(*destination, x, y)[1]);
    rows += y < 2 ? "/" : "";
  }
  return rows;
}

TEST(TransferRect, PlacesTheSourceRectangleAtTheOffsetAndClipsEverySide) {
  const PF_Rect inner{1, 1, 3, 3};
  const PF_Rect reaching_out{-1, -1, 2, 2};
  struct Case {
    const PF_Rect* rect;
    A_long x, y;
    const char* expected;
  } cases[] = {
      {nullptr, 0, 0, "1230/4560/7890"},
      {nullptr, 2, 1, "0000/0012/0045"},
      {nullptr, -1, -2, "8900/0000/0000"},
      {&inner, 0, 0, "5600/8900/0000"},
      {&inner, 3, 2, "0000/0000/0005"},
      {&reaching_out, 0, 0, "0000/0120/0450"},  // only the part inside the source moves
      {nullptr, 4, 0, "0000/0000/0000"},
      {nullptr, 0, -3, "0000/0000/0000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Footprint(c.rect, c.x, c.y), c.expected) << "at " << c.x << "," << c.y;
  }
}

// Onto a wholly transparent run of the destination the integer depths take a shorter form of
// the blend; it must store exactly what the full blend stores. Every row is blended twice:
// onto a transparent destination, and onto the same one with its first pixel's alpha raised
// (which sends the row's first run through the full blend); the rest of that run must match.
TEST(TransferRect, OntoATransparentDestinationEveryModeStoresWhatTheFullBlendStores) {
  constexpr A_long kWidth = 64, kHeight = 256;
  for (Depth depth : {Depth::k8, Depth::k16}) {
    const double full = FullScale(depth);
    for (PF_TransferMode xfer :
         {PF_Xfer_SCREEN, PF_Xfer_ADD, PF_Xfer_MULTIPLY, PF_Xfer_SOFT_LIGHT, PF_Xfer_BEHIND}) {
      for (int opacity : {255, 200, 1}) {
        for (bool keep_alpha : {false, true}) {
          SCOPED_TRACE(testing::Message()
                       << "depth " << static_cast<int>(depth) << " mode " << xfer << " opacity "
                       << opacity << " keep alpha " << keep_alpha);
          WorldStore store;
          World* source = store.Create(depth, kWidth, kHeight);
          World* transparent = store.Create(depth, kWidth, kHeight);
          World* mixed = store.Create(depth, kWidth, kHeight);
          std::uint32_t state = 11;
          auto next = [&] {
            state = state * 1664525u + 1013904223u;
            return std::floor(static_cast<double>(state >> 8) / (1u << 24) * (full + 1));
          };
          for (A_long y = 0; y < kHeight; ++y) {
            for (A_long x = 0; x < kWidth; ++x) {
              // Every source alpha of the 8-bit range once a column, then random ones.
              const double alpha = x == 1 ? std::round(y * full / 255) : next();
              PutRaw(*source, x, y, Raw{alpha, next(), next(), next()});
              const Raw colour{0, next(), next(), next()};
              PutRaw(*transparent, x, y, colour);
              PutRaw(*mixed, x, y, x == 0 ? Raw{1, colour[1], colour[2], colour[3]} : colour);
            }
          }
          PF_CompositeMode mode = Mode(xfer, opacity);
          mode.rgb_only = keep_alpha;
          for (World* destination : {transparent, mixed}) {
            ASSERT_EQ(
                TransferRect(*source, *destination, nullptr, mode, PF_MF_Alpha_STRAIGHT, 0, 0),
                PF_Err_NONE);
          }
          for (A_long y = 0; y < kHeight; ++y) {
            for (A_long x = 1; x < kWidth; ++x) {
              ASSERT_EQ(GetRaw(*transparent, x, y), GetRaw(*mixed, x, y)) << x << ", " << y;
            }
          }
        }
      }
    }
  }
}

}  // namespace

// At 8 bits over an opaque destination, Screen and Add give the documented blend rounded to
// nearest, for every destination value, across source values, source alphas and opacities.
TEST(TransferRect, ScreenAndAddOverOpaqueEightBitsRoundTheExactBlend) {
  constexpr A_long kWidth = 256, kHeight = 52;
  for (PF_TransferMode xfer : {PF_Xfer_SCREEN, PF_Xfer_ADD}) {
    for (int opacity : {255, 200, 1}) {
      for (int source_alpha : {255, 128, 1, 0}) {
        SCOPED_TRACE(testing::Message() << "mode " << xfer << " opacity " << opacity
                                        << " source alpha " << source_alpha);
        WorldStore store;
        World* source = store.Create(Depth::k8, kWidth, kHeight);
        World* destination = store.Create(Depth::k8, kWidth, kHeight);
        for (A_long y = 0; y < kHeight; ++y) {
          for (A_long x = 0; x < kWidth; ++x) {
            const double s = y * 5, d = x;
            PutRaw(*source, x, y, Raw{double(source_alpha), s, 255 - s, s});
            PutRaw(*destination, x, y, Raw{255, d, d, 255 - d});
          }
        }
        ASSERT_EQ(TransferRect(*source, *destination, nullptr, Mode(xfer, opacity),
                               PF_MF_Alpha_STRAIGHT, 0, 0),
                  PF_Err_NONE);
        const double k = opacity / 255.0 * source_alpha / 255.0;
        for (A_long y = 0; y < kHeight; ++y) {
          for (A_long x = 0; x < kWidth; ++x) {
            const Raw got = GetRaw(*destination, x, y);
            const Raw s{double(source_alpha), y * 5.0, 255 - y * 5.0, y * 5.0};
            const Raw d{255, double(x), double(x), 255.0 - x};
            ASSERT_EQ(got[0], 255);
            for (int c = 1; c < 4; ++c) {
              const double sn = s[c] / 255, dn = d[c] / 255;
              const double blend = xfer == PF_Xfer_ADD ? dn + sn : dn + sn - dn * sn;
              const double want = std::min(255.0, std::round(255 * (dn + k * (blend - dn))));
              ASSERT_EQ(got[c], want) << "at " << x << ", " << y << " channel " << c;
            }
          }
        }
      }
    }
  }
}

// The same exact blend in rows of any length: the integer path blends whole blocks of 16
// pixels and then the row's remainder, and a row may hold nothing but a remainder.
TEST(TransferRect, ScreenAndAddOverOpaqueEightBitsRoundTheExactBlendInRowsOfAnyLength) {
  for (PF_TransferMode xfer : {PF_Xfer_SCREEN, PF_Xfer_ADD}) {
    for (A_long width : {1, 15, 17, 63, 70}) {
      SCOPED_TRACE(testing::Message() << "mode " << xfer << " width " << width);
      constexpr A_long kHeight = 3;
      constexpr int kOpacity = 200;
      WorldStore store;
      World* source = store.Create(Depth::k8, width, kHeight);
      World* destination = store.Create(Depth::k8, width, kHeight);
      std::uint32_t state = 7;
      auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 24);
      };
      for (A_long y = 0; y < kHeight; ++y) {
        for (A_long x = 0; x < width; ++x) {
          PutRaw(*source, x, y, Raw{next(), next(), next(), next()});
          PutRaw(*destination, x, y, Raw{255, next(), next(), next()});
        }
      }
      std::vector<Raw> s, d;
      for (A_long y = 0; y < kHeight; ++y) {
        for (A_long x = 0; x < width; ++x) {
          s.push_back(GetRaw(*source, x, y));
          d.push_back(GetRaw(*destination, x, y));
        }
      }
      ASSERT_EQ(TransferRect(*source, *destination, nullptr, Mode(xfer, kOpacity),
                             PF_MF_Alpha_STRAIGHT, 0, 0),
                PF_Err_NONE);
      for (A_long y = 0; y < kHeight; ++y) {
        for (A_long x = 0; x < width; ++x) {
          const std::size_t i = static_cast<std::size_t>(y * width + x);
          const Raw got = GetRaw(*destination, x, y);
          ASSERT_EQ(got[0], 255);
          const double k = kOpacity / 255.0 * s[i][0] / 255.0;
          for (int c = 1; c < 4; ++c) {
            const double sn = s[i][c] / 255, dn = d[i][c] / 255;
            const double blend = xfer == PF_Xfer_ADD ? dn + sn : dn + sn - dn * sn;
            const double want = std::min(255.0, std::round(255 * (dn + k * (blend - dn))));
            ASSERT_EQ(got[c], want) << "at " << x << ", " << y << " channel " << c;
          }
        }
      }
    }
  }
}
