#include "hostsim/image/copy_rect.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/hostsim/image/image_test_util.h"

namespace {

using namespace image_test;
using hostsim::WorldStore;
using hostsim::image::CopyRect;
using hostsim::image::Sampling;

// A world whose pixels carry their own coordinates, exactly, at any depth.
World* Numbered(WorldStore& store, Depth depth, A_long width, A_long height) {
  World* world = store.Create(depth, width, height);
  for (A_long y = 0; y < height; ++y)
    for (A_long x = 0; x < width; ++x)
      PutRaw(*world, x, y, Raw{255, double(x + 1), double(y + 1), 0});
  return world;
}

// Same-size copies with rectangles reaching out of either world, against the obvious rule:
// destination pixel p takes source pixel p - d0 + s0 when p lies in the destination world and
// rectangle and its source lies in the source world; every other pixel keeps its value.
TEST(CopyRect, ClipsBothRectanglesConsistentlyAtEverySide) {
  struct Case {
    std::optional<PF_Rect> from, to;
  } cases[] = {
      {std::nullopt, PF_Rect{1, 1, 6, 5}},             // null source: the whole source world
      {PF_Rect{-1, -1, 5, 4}, std::nullopt},           // null destination: the whole destination
      {PF_Rect{-2, 0, 3, 4}, PF_Rect{0, 0, 5, 4}},     // source reaches out left
      {PF_Rect{2, 0, 7, 4}, PF_Rect{0, 0, 5, 4}},      // ... right
      {PF_Rect{0, -3, 5, 2}, PF_Rect{0, 1, 5, 6}},     // ... top
      {PF_Rect{0, 1, 5, 6}, PF_Rect{1, 0, 6, 5}},      // ... bottom, destination right
      {PF_Rect{0, 0, 4, 3}, PF_Rect{-2, -1, 2, 2}},    // destination out left and top
      {PF_Rect{1, 1, 5, 4}, PF_Rect{4, 3, 8, 6}},      // destination out right and bottom
      {PF_Rect{-9, -9, -1, -1}, PF_Rect{0, 0, 8, 8}},  // source wholly outside
      {PF_Rect{0, 0, 2, 2}, PF_Rect{6, 5, 8, 7}},      // destination wholly outside
  };
  for (Depth depth : kDepths) {
    for (const Case& c : cases) {
      WorldStore store;
      const World* source = Numbered(store, depth, 5, 4);
      World* destination = store.Create(depth, 6, 5);
      const Raw untouched{7, 0, 0, 9};
      for (A_long y = 0; y < 5; ++y)
        for (A_long x = 0; x < 6; ++x) PutRaw(*destination, x, y, untouched);
      const PF_Rect* from = c.from ? &*c.from : nullptr;
      const PF_Rect* to = c.to ? &*c.to : nullptr;
      ASSERT_EQ(CopyRect(*source, *destination, from, to, Sampling::kNearest), PF_Err_NONE);
      const PF_Rect s = c.from.value_or(PF_Rect{0, 0, 5, 4});
      const PF_Rect d = c.to.value_or(PF_Rect{0, 0, 6, 5});
      for (A_long y = 0; y < 5; ++y) {
        for (A_long x = 0; x < 6; ++x) {
          const A_long sx = x - d.left + s.left, sy = y - d.top + s.top;
          const bool written = x >= d.left && x < d.right && y >= d.top && y < d.bottom &&
                               sx >= 0 && sx < 5 && sy >= 0 && sy < 4;
          const Raw expected = written ? Raw{255, double(sx + 1), double(sy + 1), 0} : untouched;
          ASSERT_EQ(GetRaw(*destination, x, y), expected)
              << "depth " << static_cast<int>(depth) << " from " << s.left << "," << s.top << " to "
              << d.left << "," << d.top << " pixel " << x << "," << y;
        }
      }
    }
  }
}

// Red channel of row 0 after copying the first `source_width` columns of a numbered row
// over `destination_width` columns.
std::string StretchedRow(A_long source_width, A_long destination_width, Sampling sampling) {
  WorldStore store;
  const World* source = Numbered(store, Depth::k8, source_width, 1);
  World* destination = store.Create(Depth::k8, destination_width, 1);
  const PF_Rect from{0, 0, source_width, 1}, to{0, 0, destination_width, 1};
  EXPECT_EQ(CopyRect(*source, *destination, &from, &to, sampling), PF_Err_NONE);
  std::string row;
  for (A_long x = 0; x < destination_width; ++x)
    row += static_cast<char>('0' + GetRaw(*destination, x, 0)[1]);
  return row;
}

TEST(CopyRect, NearestStretchSamplesPixelCentres) {
  EXPECT_EQ(StretchedRow(2, 4, Sampling::kNearest), "1122");
  EXPECT_EQ(StretchedRow(3, 5, Sampling::kNearest), "11233");
  EXPECT_EQ(StretchedRow(1, 4, Sampling::kNearest), "1111");
  EXPECT_EQ(StretchedRow(6, 3, Sampling::kNearest), "246");
  EXPECT_EQ(StretchedRow(4, 4, Sampling::kNearest), "1234");
}

TEST(CopyRect, StretchedStripKeepsTheEdgeRowsInPlace) {
  // A one-pixel column stretched over a band, as edge extension does.
  WorldStore store;
  const World* source = Numbered(store, Depth::k16, 3, 4);
  World* destination = store.Create(Depth::k16, 8, 4);
  const PF_Rect column{2, 0, 3, 4}, band{3, 0, 8, 4};
  ASSERT_EQ(CopyRect(*source, *destination, &column, &band, Sampling::kNearest), PF_Err_NONE);
  for (A_long y = 0; y < 4; ++y)
    for (A_long x = 3; x < 8; ++x)
      EXPECT_EQ(GetRaw(*destination, x, y), (Raw{255, 3, double(y + 1), 0}));
  EXPECT_EQ(GetRaw(*destination, 2, 0)[0], 0);
}

TEST(CopyRect, OverlappingCopyWithinOneWorldReadsTheSourceWhole) {
  struct Case {
    PF_Rect from, to;
    const char* expected;
  } cases[] = {
      {{0, 0, 5, 1}, {1, 0, 6, 1}, "112345"},  // right by one
      {{1, 0, 6, 1}, {0, 0, 5, 1}, "234566"},  // left by one
      {{0, 0, 3, 1}, {0, 0, 6, 1}, "112233"},  // stretched over itself
      {{2, 0, 6, 1}, {0, 0, 2, 1}, "463456"},  // shrunk onto its own left
  };
  for (const Case& c : cases) {
    WorldStore store;
    World* world = Numbered(store, Depth::k8, 6, 1);
    ASSERT_EQ(CopyRect(*world, *world, &c.from, &c.to, Sampling::kNearest), PF_Err_NONE);
    std::string row;
    for (A_long x = 0; x < 6; ++x) row += static_cast<char>('0' + GetRaw(*world, x, 0)[1]);
    EXPECT_EQ(row, c.expected) << c.from.left << ".." << c.from.right << " -> " << c.to.left << ".."
                               << c.to.right;
  }
}

// The edge extension's doubling passes, as the effect issues them: after them every band pixel
// holds the image's edge colour of its row or column.
void ExtendEdges(const World& glow, A_long m, A_long w, A_long h) {
  A_long passes = 1;
  for (A_long p = 1; p < m; p *= 2) ++passes;
  A_long s = 1;
  for (A_long pass = 0; pass < passes; ++pass, s *= 2) {
    const A_long b = s == 1 ? 1 : 2;
    const PF_Rect rects[][2] = {
        {{m - s, m, m + 1, m + h}, {m - (s + 1) * b, m, m - s + 1, m + h}},
        {{m + w - 1, m, m + w + s, m + h}, {m + w + s - 1, m, m + w + (s + 1) * b, m + h}},
        {{m, m - s, m + w, m + 1}, {m, m - (s + 1) * b, m + w, m - s + 1}},
        {{m, m + h - 1, m + w, m + h + s}, {m, m + h + s - 1, m + w, m + h + (s + 1) * b}},
    };
    for (const auto& r : rects) {
      ASSERT_EQ(CopyRect(glow, glow, &r[0], &r[1], Sampling::kNearest), PF_Err_NONE);
    }
  }
}

TEST(CopyRect, EdgeExtensionRepeatsTheImageEdges) {
  const A_long w = 7, h = 5;
  for (A_long m : {0, 1, 2, 3, 4, 5, 50, 63}) {
    SCOPED_TRACE(testing::Message() << "margin " << m);
    WorldStore store;
    const A_long pad = (2 * m + 64) / 64 * 64;  // the effect's worlds: at least 2m larger
    World* glow = store.Create(Depth::k8, w + pad, h + pad);
    auto image = [](A_long x, A_long y) {
      return Raw{255, double(10 + x), double(10 + y), double(x * y)};
    };
    for (A_long y = 0; y < h; ++y)
      for (A_long x = 0; x < w; ++x) PutRaw(*glow, m + x, m + y, image(x, y));
    ExtendEdges(*glow, m, w, h);
    for (A_long y = 0; y < h; ++y) {
      for (A_long i = 0; i < m; ++i) {
        ASSERT_EQ(GetRaw(*glow, i, m + y), image(0, y)) << "left band " << i << "," << y;
        ASSERT_EQ(GetRaw(*glow, m + w + i, m + y), image(w - 1, y))
            << "right band " << i << "," << y;
      }
    }
    for (A_long x = 0; x < w; ++x) {
      for (A_long i = 0; i < m; ++i) {
        ASSERT_EQ(GetRaw(*glow, m + x, i), image(x, 0)) << "top band " << x << "," << i;
        ASSERT_EQ(GetRaw(*glow, m + x, m + h + i), image(x, h - 1))
            << "bottom band " << x << "," << i;
      }
    }
    for (A_long y = 0; y < h; ++y)
      for (A_long x = 0; x < w; ++x) ASSERT_EQ(GetRaw(*glow, m + x, m + y), image(x, y));
  }
}

TEST(CopyRect, HighQualityCopyIsExactAtSameSizeAndBilinearWhenStretching) {
  for (Depth depth : kDepths) {
    WorldStore store;
    World* source = store.Create(depth, 4, 3);
    for (A_long y = 0; y < 3; ++y)
      for (A_long x = 0; x < 4; ++x) Put(*source, x, y, Argb{1, 0.1f * x, 0.3f * y, 0.77f});
    World* same = store.Create(depth, 4, 3);
    ASSERT_EQ(CopyRect(*source, *same, nullptr, nullptr, Sampling::kBilinear), PF_Err_NONE);
    for (A_long y = 0; y < 3; ++y)
      for (A_long x = 0; x < 4; ++x) EXPECT_EQ(GetRaw(*same, x, y), GetRaw(*source, x, y));
  }
  // Two pixels, 0 and 1, over four: centres at -1/4, 1/4, 3/4, 5/4 of the source, clamped.
  WorldStore store;
  World* pair = store.Create(Depth::k32, 2, 1);
  Put(*pair, 0, 0, Argb{1, 0, 0, 0});
  Put(*pair, 1, 0, Argb{1, 1, 0, 0});
  World* wide = store.Create(Depth::k32, 4, 1);
  ASSERT_EQ(CopyRect(*pair, *wide, nullptr, nullptr, Sampling::kBilinear), PF_Err_NONE);
  const float expected[] = {0, 0.25f, 0.75f, 1};
  for (A_long x = 0; x < 4; ++x) EXPECT_NEAR(Get(*wide, x, 0)[1], expected[x], 1e-6) << x;
}

TEST(CopyRect, BilinearStretchTakesNoColourFromTransparentPixels) {
  WorldStore store;
  World* pair = store.Create(Depth::k8, 2, 1);
  Put(*pair, 0, 0, Argb{0, 0, 1, 0});  // transparent green
  Put(*pair, 1, 0, Argb{1, 1, 0, 0});  // opaque red
  World* wide = store.Create(Depth::k8, 4, 1);
  ASSERT_EQ(CopyRect(*pair, *wide, nullptr, nullptr, Sampling::kBilinear), PF_Err_NONE);
  for (A_long x = 1; x < 4; ++x) {
    EXPECT_EQ(GetRaw(*wide, x, 0)[1], 255) << x;
    EXPECT_EQ(GetRaw(*wide, x, 0)[2], 0) << x;
  }
  EXPECT_EQ(GetRaw(*wide, 1, 0)[0], 64);  // alpha itself interpolates
}

TEST(CopyRect, DepthsMustMatch) {
  WorldStore store;
  World* a = store.Create(Depth::k8, 2, 2);
  World* b = store.Create(Depth::k32, 2, 2);
  EXPECT_EQ(CopyRect(*a, *b, nullptr, nullptr, Sampling::kNearest), PF_Err_BAD_CALLBACK_PARAM);
}

}  // namespace
