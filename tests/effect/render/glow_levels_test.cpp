// The ten glow levels as the host sees them: the level body's calls, the doubling blur radii,
// the widening windows with edge repeat, and the composite record of every level.

#include "effect/render/glow_levels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/effect/render/glow_test_support.h"

namespace {

using velmora_test::CallsOf;
using velmora_test::Controls;
using velmora_test::GlowRenderTest;
using velmora_test::RoleCall;
using velmora_test::SameRect;

constexpr A_long kWidth = 20, kHeight = 14;

// The journal from the level world's creation to its disposal.
std::vector<RoleCall> LevelStage(const std::vector<RoleCall>& journal) {
  std::vector<RoleCall> stage;
  bool inside = false;
  for (const RoleCall& entry : journal) {
    if (entry.call.op == "AEGP_FillOutPFEffectWorld" && entry.src == "level") inside = true;
    if (inside) stage.push_back(entry);
    if (entry.call.op == "AEGP_Dispose" && entry.dst == "level") break;
  }
  return stage;
}

// The host contract of a level: copy, blur, composite, on one LevelWorld. Clears are left out:
// whether one is needed is the render's business, and the reference frames guard the look.
TEST_F(GlowRenderTest, EachLevelCopiesBlursAndCompositesOneLevelWorld) {
  hostsim::World* input = Gradient(hostsim::Depth::k32, kWidth, kHeight);
  const auto journal = RenderJournal(*input, Controls{.radius = 30});

  const auto made = CallsOf(journal, "AEGP_New");
  ASSERT_EQ(made.size(), 6u);  // source, backdrop, glow, source copy, level, tint
  EXPECT_EQ(made[4].world_type, AEGP_WorldType_32);
  EXPECT_EQ(made[4].width, kWidth);
  EXPECT_EQ(made[4].height, kHeight);

  std::vector<std::string> seen;
  for (const RoleCall& entry : LevelStage(journal)) {
    if (entry.call.op == "AEGP_FillOutPFEffectWorld" || entry.call.op == "utils_fill") continue;
    seen.push_back(entry.call.op + " " + entry.src + ">" + entry.dst);
  }
  std::vector<std::string> expected;
  for (int level = 0; level < 10; ++level) {
    expected.insert(expected.end(),
                    {"copy source_copy>level", "AEGP_FastBlur >level", "transfer_rect level>glow"});
  }
  expected.push_back("AEGP_Dispose >level");
  EXPECT_EQ(seen, expected);
}

TEST_F(GlowRenderTest, BlurRadiiDoubleInSinglePrecisionFromBlurBase) {
  hostsim::World* input = Gradient(hostsim::Depth::k8, kWidth, kHeight);
  for (A_long radius : {100, 500}) {
    SCOPED_TRACE(radius);
    const auto blurs = CallsOf(RenderJournal(*input, Controls{.radius = radius}), "AEGP_FastBlur");
    ASSERT_EQ(blurs.size(), 10u);
    float expected = radius == 100 ? 0.4f : 2.0f;
    for (const hostsim::HostCall& blur : blurs) {
      EXPECT_EQ(blur.radius, static_cast<double>(expected));  // exact: float widened
      EXPECT_EQ(blur.mode_flags, PF_MF_Alpha_STRAIGHT);
      EXPECT_EQ(blur.quality, PF_Quality_HI);
      expected *= 2.0f;
    }
    EXPECT_EQ(blurs[0].radius, radius == 100 ? 0.4000000059604645 : 2.0);
    EXPECT_EQ(blurs[9].radius, radius == 100 ? 204.8000030517578 : 1024.0);
  }
}

struct WindowCase {
  A_long radius;
  A_long margin;
  std::vector<A_long> shifts;
};

TEST_F(GlowRenderTest, WithEdgeRepeatEachLevelSeesAWiderWindowOfTheBand) {
  hostsim::World* input = Gradient(hostsim::Depth::k8, kWidth, kHeight);
  const WindowCase cases[] = {
      {100, 50, {5, 5, 6, 7, 8, 10, 12, 16, 25, 50}},
      {500, 250, {25, 27, 31, 35, 41, 50, 62, 83, 125, 250}},
      {7, 3, {0, 0, 0, 0, 0, 0, 0, 1, 1, 3}},
      {1, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const WindowCase& c : cases) {
    SCOPED_TRACE(c.radius);
    const auto copies =
        CallsOf(RenderJournal(*input, Controls{.radius = c.radius, .repeat_edges = true}), "copy",
                "source_copy", "level");
    ASSERT_EQ(copies.size(), 10u);
    for (int level = 0; level < 10; ++level) {
      const A_long m = c.margin, s = c.shifts[level];
      const PF_Rect window{m - s, m - s, m + kWidth + s, m + kHeight + s};
      EXPECT_TRUE(SameRect(*copies[level].src_rect, window)) << "level " << level;
      EXPECT_TRUE(SameRect(*copies[level].dst_rect, window)) << "level " << level;
    }
  }
}

TEST_F(GlowRenderTest, WithoutEdgeRepeatEachLevelCopiesTheWholeSource) {
  hostsim::World* input = Gradient(hostsim::Depth::k16, kWidth, kHeight);
  const auto copies =
      CallsOf(RenderJournal(*input, Controls{.radius = 100}), "copy", "source_copy", "level");
  ASSERT_EQ(copies.size(), 10u);
  for (const hostsim::HostCall& copy : copies) {
    EXPECT_TRUE(SameRect(*copy.src_rect, {0, 0, kWidth, kHeight}));
    EXPECT_FALSE(copy.dst_rect.has_value());
  }
}

struct CompositeCase {
  double intensity;
  A_long glow_mode;
  PF_TransferMode xfer;
  int opacity;
};

TEST_F(GlowRenderTest, EveryLevelCompositesWithTheModeAndOpacityOfTheControls) {
  hostsim::World* input = Gradient(hostsim::Depth::k8, kWidth, kHeight);
  const CompositeCase cases[] = {
      {0.5, 1, PF_Xfer_SCREEN, 127},   {0.25, 2, PF_Xfer_ADD, 63},
      {0.1, 1, PF_Xfer_SCREEN, 25},    {0.9, 2, PF_Xfer_ADD, 229},
      {0.999, 1, PF_Xfer_SCREEN, 254}, {0.001, 2, PF_Xfer_ADD, 0},
      {1.0, 2, PF_Xfer_ADD, 255},      {3.5, 1, PF_Xfer_SCREEN, 255},
      {1.0, 3, PF_Xfer_SCREEN, 255},  // a popup value the effect does not know: Screen
  };
  hostsim::FrameSettings settings;
  settings.quality = PF_Quality_HI;  // the levels composite at low quality all the same
  settings.field = PF_Field_UPPER;
  for (const CompositeCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "intensity " << c.intensity << ", mode " << c.glow_mode);
    const auto transfers = CallsOf(RenderJournal(*input,
                                                 Controls{.radius = 12,
                                                          .intensity = c.intensity,
                                                          .glow_mode = c.glow_mode,
                                                          .repeat_edges = true},
                                                 nullptr, settings),
                                   "transfer_rect", "level", "glow");
    ASSERT_EQ(transfers.size(), 10u);
    for (const hostsim::HostCall& t : transfers) {
      EXPECT_EQ(t.comp_mode.xfer, c.xfer);
      EXPECT_EQ(t.comp_mode.opacity, c.opacity);
      EXPECT_EQ(t.comp_mode.opacitySu, c.opacity);  // the same 0..255 number
      EXPECT_EQ(t.comp_mode.rand_seed, 0);
      EXPECT_FALSE(t.comp_mode.rgb_only);
      EXPECT_EQ(t.quality, PF_Quality_LO);
      EXPECT_EQ(t.mode_flags, PF_MF_Alpha_STRAIGHT);
      EXPECT_EQ(t.field, PF_Field_UPPER);
      EXPECT_TRUE(SameRect(*t.src_rect, {0, 0, kWidth + 64, kHeight + 64}));
      EXPECT_EQ(t.dest_x, 0);
      EXPECT_EQ(t.dest_y, 0);
    }
  }
}

}  // namespace
