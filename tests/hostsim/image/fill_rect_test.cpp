#include "hostsim/image/fill_rect.h"

#include <gtest/gtest.h>

#include "tests/hostsim/image/image_test_util.h"

namespace {

using namespace image_test;
using hostsim::WorldStore;
using hostsim::image::FillRect;
using hostsim::image::Premultiply;

TEST(FillRect, FillsTheClippedRectangleOrClearsTheWorld) {
  for (Depth depth : kDepths) {
    WorldStore store;
    World* world = store.Create(depth, 5, 4);
    const PF_PixelFloat grey{1.0f, 0.5f, 0.25f, 0.0f};
    ASSERT_EQ(FillRect(*world, &grey, nullptr), PF_Err_NONE);
    const PF_PixelFloat red{1.0f, 1.0f, 0.0f, 0.0f};
    const PF_Rect reaching_out{3, -2, 9, 2};
    ASSERT_EQ(FillRect(*world, &red, &reaching_out), PF_Err_NONE);
    const Argb grey_stored = Get(*world, 0, 3);
    EXPECT_NEAR(grey_stored[1], 0.5f, 0.51f / FullScale(depth));
    EXPECT_NEAR(grey_stored[2], 0.25f, 0.51f / FullScale(depth));
    for (A_long y = 0; y < 4; ++y) {
      for (A_long x = 0; x < 5; ++x) {
        const Argb expected = x >= 3 && y < 2 ? Argb{1, 1, 0, 0} : grey_stored;
        EXPECT_EQ(Get(*world, x, y), expected) << static_cast<int>(depth) << " " << x << "," << y;
      }
    }
    const PF_Rect corner{0, 0, 1, 1};
    ASSERT_EQ(FillRect(*world, nullptr, &corner), PF_Err_NONE);
    EXPECT_EQ(Get(*world, 0, 0), (Argb{0, 0, 0, 0}));
    EXPECT_EQ(Get(*world, 1, 0)[0], 1.0f);
    ASSERT_EQ(FillRect(*world, nullptr, nullptr), PF_Err_NONE);
    EXPECT_EQ(Get(*world, 4, 0), (Argb{0, 0, 0, 0}));
  }
}

TEST(FillRect, IntegerDepthsClampFloatKeepsValuesAboveOne) {
  const PF_PixelFloat bright{1.0f, 1.5f, -0.5f, 0.5f};
  WorldStore store;
  World* eight = store.Create(Depth::k8, 1, 1);
  World* sixteen = store.Create(Depth::k16, 1, 1);
  World* floating = store.Create(Depth::k32, 1, 1);
  for (World* world : {eight, sixteen, floating})
    ASSERT_EQ(FillRect(*world, &bright, nullptr), PF_Err_NONE);
  EXPECT_EQ(GetRaw(*eight, 0, 0), (Raw{255, 255, 0, 128}));
  EXPECT_EQ(GetRaw(*sixteen, 0, 0), (Raw{32768, 32768, 0, 16384}));
  EXPECT_EQ(GetRaw(*floating, 0, 0), (Raw{1.0, 1.5, -0.5, 0.5}));
}

TEST(Premultiply, BothDirectionsAtEveryDepth) {
  struct Case {
    Depth depth;
    Raw straight, premultiplied;
  } cases[] = {
      {Depth::k8, {128, 255, 100, 0}, {128, 128, 50, 0}},
      {Depth::k16, {16384, 32768, 8192, 0}, {16384, 16384, 4096, 0}},
      {Depth::k32, {0.5, 2.0, 0.25, -1.0}, {0.5, 1.0, 0.125, -0.5}},
  };
  for (const Case& c : cases) {
    WorldStore store;
    World* world = store.Create(c.depth, 1, 1);
    PutRaw(*world, 0, 0, c.straight);
    ASSERT_EQ(Premultiply(*world, true), PF_Err_NONE);
    EXPECT_EQ(GetRaw(*world, 0, 0), c.premultiplied) << static_cast<int>(c.depth);
    ASSERT_EQ(Premultiply(*world, false), PF_Err_NONE);
    const Raw back = GetRaw(*world, 0, 0);
    for (int ch = 0; ch < 4; ++ch)
      EXPECT_NEAR(back[ch], c.straight[ch], 1.0) << static_cast<int>(c.depth);
  }
}

TEST(Premultiply, UnpremultiplyingTransparentPixelsGivesBlackAndNeverExceedsFullScale) {
  WorldStore store;
  World* world = store.Create(Depth::k8, 2, 1);
  PutRaw(*world, 0, 0, Raw{0, 200, 100, 50});
  PutRaw(*world, 1, 0, Raw{10, 200, 4, 10});  // colour above alpha: not a premultiplied pixel
  ASSERT_EQ(Premultiply(*world, false), PF_Err_NONE);
  EXPECT_EQ(GetRaw(*world, 0, 0), (Raw{0, 0, 0, 0}));
  EXPECT_EQ(GetRaw(*world, 1, 0), (Raw{10, 255, 102, 255}));
}

}  // namespace
