// Tint and finishing as the host sees them: the tint world and its fill colour, each tint
// mode's calls, the window copied into the output, and the finishing passes in their order.

#include "effect/render/tint_finish.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/effect/render/glow_test_support.h"

namespace {

using velmora_test::CallsOf;
using velmora_test::Controls;
using velmora_test::GlowRenderTest;
using velmora_test::RoleCall;
using velmora_test::SameRect;

constexpr A_long kWidth = 18, kHeight = 11;

std::string Describe(const RoleCall& entry) {
  return entry.call.op + " " + entry.src + ">" + entry.dst;
}

// From TintWorld's creation to the copy into the output, without the world-description calls.
std::vector<RoleCall> TintStage(const std::vector<RoleCall>& journal) {
  std::vector<RoleCall> stage;
  bool inside = false;
  for (const RoleCall& entry : journal) {
    if (entry.call.op == "AEGP_FillOutPFEffectWorld" && entry.src == "tint") {
      inside = true;
      continue;
    }
    if (inside) stage.push_back(entry);
    if (entry.call.op == "copy" && entry.dst == "output") break;
  }
  return stage;
}

// The host contract only: clears are left out, since whether one is needed is the render's
// business and the reference frames guard the look.
std::vector<std::string> Described(const std::vector<RoleCall>& calls) {
  std::vector<std::string> described;
  for (const RoleCall& entry : calls) {
    if (entry.call.op != "utils_fill") described.push_back(Describe(entry));
  }
  return described;
}

struct TintCase {
  const char* name;
  bool enable;
  A_long mode;
  std::vector<std::string> calls;  // between the tint fill and the disposal of TintWorld
};

TEST_F(GlowRenderTest, EachTintModeMakesItsOwnCallsOnATintWorldMadeEveryTime) {
  hostsim::World* input = Gradient(hostsim::Depth::k8, kWidth, kHeight);
  const TintCase cases[] = {
      {"off", false, 2, {}},
      {"standard", true, 1, {"iterate8 glow>glow", "iterate8 glow>glow"}},
      {"soft", true, 2, {"transfer_rect tint>glow"}},
      {"light blend",
       true,
       3,
       {"iterate8 glow>source_copy", "iterate8 glow>glow", "transfer_rect source_copy>glow"}},
      {"unknown mode", true, 4, {}},
  };
  std::map<std::string, std::vector<hostsim::HostCall>> iterates;
  for (const TintCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto stage = TintStage(
        RenderJournal(*input, Controls{.radius = 9, .tint_enable = c.enable, .tint_mode = c.mode}));
    std::vector<std::string> expected = {"fill >tint"};
    expected.insert(expected.end(), c.calls.begin(), c.calls.end());
    expected.insert(expected.end(), {"AEGP_Dispose >tint", "copy glow>output"});
    EXPECT_EQ(Described(stage), expected);

    for (const RoleCall& entry : stage) {
      if (entry.call.op == "iterate8") iterates[c.name].push_back(entry.call);
      if (entry.call.op != "transfer_rect") continue;
      const hostsim::HostCall& t = entry.call;
      EXPECT_EQ(t.comp_mode.xfer, c.mode == 2 ? PF_Xfer_SOFT_LIGHT : PF_Xfer_MULTIPLY);
      EXPECT_EQ(t.comp_mode.opacity, 255);
      EXPECT_EQ(t.comp_mode.opacitySu, 255);
      EXPECT_EQ(t.quality, PF_Quality_HI);  // the render's quality, unlike the levels
      EXPECT_EQ(t.mode_flags, PF_MF_Alpha_STRAIGHT);
      EXPECT_TRUE(SameRect(*t.src_rect, {0, 0, kWidth, kHeight}));
    }
  }
  // Standard desaturates as Light blend does, then multiplies where Light blend adds.
  const auto& standard = iterates["standard"];
  const auto& light = iterates["light blend"];
  ASSERT_EQ(standard.size(), 2u);
  ASSERT_EQ(light.size(), 2u);
  EXPECT_EQ(standard[0].pixel_function, light[0].pixel_function);
  EXPECT_NE(standard[1].pixel_function, light[1].pixel_function);
  EXPECT_NE(standard[0].pixel_function, standard[1].pixel_function);
}

struct FillCase {
  hostsim::Depth depth;
  const char* op;
  AEGP_ColorVal tint;
  PF_PixelFloat fill;  // as the depth stores it
};

TEST_F(GlowRenderTest, TintFillColourIsHeldToEachDepthsRange) {
  const FillCase cases[] = {
      {hostsim::Depth::k16, "fill16", {1.0, 0.5, 0.25, 1.5}, {32768, 16384, 8192, 32768}},
      {hostsim::Depth::k8, "fill", {1.0, 0.5, 0.25, 1.5}, {255, 127, 63, 255}},
      {hostsim::Depth::k32, "fill_float", {1.0, 0.5, 0.25, 1.5}, {1.0f, 0.5f, 0.25f, 1.5f}},
      // A negative component is no colour at the integer depths, never a wrapped full scale.
      {hostsim::Depth::k16, "fill16", {0.5, -0.25, 0.0, 1.0}, {16384, 0, 0, 32768}},
      {hostsim::Depth::k8, "fill", {0.5, -0.25, 0.0, 1.0}, {127, 0, 0, 255}},
      {hostsim::Depth::k32, "fill_float", {0.5, -0.25, 0.0, 1.0}, {0.5f, -0.25f, 0.0f, 1.0f}},
  };
  for (const FillCase& c : cases) {
    SCOPED_TRACE(c.op);
    host.params().SetColorKeyframes(5, {{0.0, c.tint}});
    hostsim::World* input = Gradient(c.depth, kWidth, kHeight);
    const auto fills = CallsOf(RenderJournal(*input, Controls{.radius = 9}), c.op, "", "tint");
    ASSERT_EQ(fills.size(), 1u);  // made and filled with the tint off too
    ASSERT_TRUE(fills[0].color.has_value());
    EXPECT_FALSE(fills[0].dst_rect.has_value());
    EXPECT_EQ(fills[0].color->alpha, c.fill.alpha);
    EXPECT_EQ(fills[0].color->red, c.fill.red);
    EXPECT_EQ(fills[0].color->green, c.fill.green);
    EXPECT_EQ(fills[0].color->blue, c.fill.blue);
  }
}

TEST_F(GlowRenderTest, OutputIsGlowWorldsWindowPastTheExtendedBorder) {
  hostsim::World* input = Gradient(hostsim::Depth::k8, kWidth, kHeight);
  for (bool repeat : {true, false}) {
    SCOPED_TRACE(repeat);
    const auto stage =
        TintStage(RenderJournal(*input, Controls{.radius = 100, .repeat_edges = repeat}));
    ASSERT_GE(stage.size(), 2u);
    EXPECT_EQ(Describe(stage[stage.size() - 2]), "utils_fill >output");
    const hostsim::HostCall& copy = stage.back().call;
    const A_long m = repeat ? 50 : 0;
    EXPECT_TRUE(SameRect(*copy.src_rect, {m, m, m + kWidth, m + kHeight}));
    EXPECT_TRUE(SameRect(*copy.dst_rect, {0, 0, kWidth, kHeight}));
  }
}

struct FinishCase {
  double intensity;
  bool gamma, unmultiply;
  std::vector<std::string> passes;
};

TEST_F(GlowRenderTest, FinishingPassesRunOnTheOutputInTheirOrder) {
  hostsim::World* input = Gradient(hostsim::Depth::k16, kWidth, kHeight);
  // The passes over the output after the final copy, each iteration named by its pixel
  // function as learnt from the runs that have one pass only.
  std::map<const void*, std::string> names;
  const auto finishing = [&](const Controls& controls) {
    std::vector<std::string> passes;
    bool after_copy = false;
    for (const RoleCall& entry : RenderJournal(*input, controls)) {
      if (entry.call.op == "copy" && entry.dst == "output") after_copy = true;
      if (!after_copy || entry.dst != "output" || entry.call.op == "copy") continue;
      if (entry.call.op != "iterate16") {
        passes.push_back(entry.call.op);
        continue;
      }
      const auto named = names.find(entry.call.pixel_function);
      passes.push_back(named != names.end() ? named->second : "?");
    }
    return passes;
  };
  const auto learn = [&](const Controls& controls, const char* name) {
    for (const RoleCall& entry : RenderJournal(*input, controls))
      if (entry.call.op == "iterate16" && entry.dst == "output")
        names.emplace(entry.call.pixel_function, name);
  };
  learn({.radius = 9, .intensity = 2.0}, "scale");
  learn({.radius = 9, .intensity = 0.5, .gamma = true}, "encode");
  learn({.radius = 9, .intensity = 0.5, .unmultiply = true}, "alpha");
  ASSERT_EQ(names.size(), 3u);

  const FinishCase cases[] = {
      {1.0, false, false, {"scale"}},  // from exactly 1.0 the frame is scaled
      {0.99, false, false, {}},
      {2.0, true, false, {"scale", "encode"}},  // scaled while still linear
      {0.5, true, true, {"encode", "alpha", "premultiply"}},
      {2.0, true, true, {"scale", "encode", "alpha", "premultiply"}},
  };
  for (const FinishCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.intensity << " " << c.gamma << " " << c.unmultiply);
    EXPECT_EQ(
        finishing(
            {.radius = 9, .intensity = c.intensity, .unmultiply = c.unmultiply, .gamma = c.gamma}),
        c.passes);
  }
}

}  // namespace
