// Edge extension: the doubling copies the effect asks of the host, and what they leave in
// GlowWorld (the bands and corners), at the three depths.

#include "effect/render/edge_extension.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "effect/host_calls/fill_ops.h"
#include "effect/host_calls/suite_handler.h"
#include "effect/host_calls/transform_ops.h"
#include "effect/host_calls/world_ops.h"
#include "effect/render/release.h"
#include "tests/effect/render/glow_test_support.h"

namespace {

using velmora_test::CallsOf;
using velmora_test::Controls;
using velmora_test::GlowRenderTest;
using velmora_test::SameRect;

constexpr A_long kWidth = 16, kHeight = 12;

struct PassCase {
  A_long radius, margin, passes;
};

class EdgePasses : public GlowRenderTest, public ::testing::WithParamInterface<PassCase> {};

// Every line of the band beside the image, [image edge - margin, image edge), lies inside some
// destination strip of that side: the passes together cover the band whatever their count.
void ExpectBandCovered(const std::vector<hostsim::HostCall>& strips, A_long margin, int side) {
  for (A_long line = 1; line <= margin; ++line) {
    bool covered = false;
    for (std::size_t i = side; i < strips.size(); i += 4) {
      const PF_Rect& d = *strips[i].dst_rect;
      switch (side) {
        case 0:
          covered |= d.left <= margin - line && margin - line < d.right;
          break;
        case 1:
          covered |= d.left <= margin + kWidth - 1 + line && margin + kWidth - 1 + line < d.right;
          break;
        case 2:
          covered |= d.top <= margin - line && margin - line < d.bottom;
          break;
        case 3:
          covered |= d.top <= margin + kHeight - 1 + line && margin + kHeight - 1 + line < d.bottom;
          break;
      }
    }
    EXPECT_TRUE(covered) << "side " << side << ", line " << line << " past the image";
  }
}

// A strip's lines on its side as distances outward from the image's edge line (0 is the edge
// line itself): [nearest, farthest].
struct Reach {
  A_long nearest, farthest;
};
Reach Outward(const PF_Rect& r, A_long m, int side) {
  switch (side) {
    case 0:
      return {m - (r.right - 1), m - r.left};
    case 1:
      return {r.left - (m + kWidth - 1), r.right - 1 - (m + kWidth - 1)};
    case 2:
      return {m - (r.bottom - 1), m - r.top};
    default:
      return {r.top - (m + kHeight - 1), r.bottom - 1 - (m + kHeight - 1)};
  }
}

// What makes the doubling sound, on every side: after the first pass each pass reads only lines
// that earlier passes wrote (or the image's edge line), writes next to what it reads so no line
// is skipped, and reaches further out than the pass before.
void ExpectPassesBuildOnEachOther(const std::vector<hostsim::HostCall>& strips, A_long margin,
                                  int side) {
  for (std::size_t i = side + 4; i < strips.size(); i += 4) {
    SCOPED_TRACE(testing::Message() << "side " << side << ", pass " << i / 4 + 1);
    const Reach before = Outward(*strips[i - 4].dst_rect, margin, side);
    const Reach source = Outward(*strips[i].src_rect, margin, side);
    const Reach written = Outward(*strips[i].dst_rect, margin, side);
    EXPECT_LE(source.farthest, before.farthest);
    EXPECT_LE(written.nearest, source.farthest + 1);
    EXPECT_GT(written.farthest, before.farthest);
  }
}

TEST_P(EdgePasses, DoublingStripsCoverTheBandOnEverySide) {
  const PassCase c = GetParam();
  hostsim::World* input = Gradient(hostsim::Depth::k8, kWidth, kHeight);
  const auto journal = RenderJournal(*input, Controls{.radius = c.radius, .repeat_edges = true});

  const auto strips = CallsOf(journal, "copy", "glow", "glow");
  ASSERT_EQ(strips.size(), static_cast<std::size_t>(4 * c.passes));
  const A_long m = c.margin;
  for (std::size_t i = 0; i < strips.size(); ++i) {
    const PF_Rect& s = *strips[i].src_rect;
    // Each source strip starts at the image's own edge line and lies along the whole edge.
    switch (i % 4) {
      case 0:
        EXPECT_EQ(s.right, m + 1);
        EXPECT_EQ(s.top, m);
        EXPECT_EQ(s.bottom, m + kHeight);
        break;
      case 1:
        EXPECT_EQ(s.left, m + kWidth - 1);
        EXPECT_EQ(s.bottom, m + kHeight);
        break;
      case 2:
        EXPECT_EQ(s.bottom, m + 1);
        EXPECT_EQ(s.left, m);
        EXPECT_EQ(s.right, m + kWidth);
        break;
      case 3:
        EXPECT_EQ(s.top, m + kHeight - 1);
        EXPECT_EQ(s.right, m + kWidth);
        break;
    }
  }
  for (int side = 0; side < 4; ++side) {
    ExpectBandCovered(strips, m, side);
    ExpectPassesBuildOnEachOther(strips, m, side);
  }
}

INSTANTIATE_TEST_SUITE_P(Margins, EdgePasses,
                         ::testing::Values(PassCase{1, 0, 1}, PassCase{2, 1, 1}, PassCase{4, 2, 2},
                                           PassCase{7, 3, 3}, PassCase{100, 50, 7},
                                           PassCase{500, 250, 9}));

TEST_F(GlowRenderTest, EnlargedWorldsHoldTheSourceAtTheMargin) {
  hostsim::World* input = Gradient(hostsim::Depth::k16, kWidth, kHeight);
  const auto journal = RenderJournal(*input, Controls{.radius = 100, .repeat_edges = true});

  // SourceWorld, BackdropWorld, then GlowWorld and SourceCopyWorld enlarged by PadSize 128.
  const auto made = CallsOf(journal, "AEGP_New");
  ASSERT_GE(made.size(), 4u);
  for (int i : {2, 3}) {
    EXPECT_EQ(made[i].world_type, AEGP_WorldType_16);
    EXPECT_EQ(made[i].width, kWidth + 128);
    EXPECT_EQ(made[i].height, kHeight + 128);
  }
  const auto placed = CallsOf(journal, "copy", "source", "glow");
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_FALSE(placed[0].src_rect.has_value());
  EXPECT_TRUE(SameRect(*placed[0].dst_rect, {50, 50, 50 + kWidth, 50 + kHeight}));
  const auto copied = CallsOf(journal, "copy", "glow", "source_copy");
  ASSERT_EQ(copied.size(), 1u);
  EXPECT_FALSE(copied[0].src_rect.has_value());
  EXPECT_FALSE(copied[0].dst_rect.has_value());
}

TEST_F(GlowRenderTest, CornersAreClearedWhenTheLayerIsNotOutputSized) {
  hostsim::World* input = Gradient(hostsim::Depth::k8, kWidth, kHeight);
  host.layer_answer().max_result_rect = PF_Rect{0, 0, kWidth + 8, kHeight + 8};
  const auto journal = RenderJournal(*input, Controls{.radius = 7, .repeat_edges = true});
  const auto fills = CallsOf(journal, "fill", "", "glow");
  ASSERT_EQ(fills.size(), 4u);
  const PF_Rect corners[4] = {{0, 0, 3, 3},
                              {3 + kWidth, 0, 6 + kWidth, 3},
                              {0, 3 + kHeight, 3, 6 + kHeight},
                              {3 + kWidth, 3 + kHeight, 6 + kWidth, 6 + kHeight}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FALSE(fills[i].color.has_value());
    EXPECT_TRUE(SameRect(*fills[i].dst_rect, corners[i]));
  }
}

// ---- The stage itself, run over the real host's services, with GlowWorld inspected after it.

template <class Pixel>
Pixel SourcePixel(A_long x, A_long y) {
  // Distinct per position at every depth: 8-bit steps of 16, and their 16-bit and float twins.
  const auto level = [](A_long v) { return 8 + 16 * v; };
  if constexpr (std::is_same_v<Pixel, PF_Pixel>) {
    return {255, static_cast<A_u_char>(level(x)), static_cast<A_u_char>(level(y)), 7};
  } else if constexpr (std::is_same_v<Pixel, PF_Pixel16>) {
    return {32768, static_cast<A_u_short>(128 * level(x)), static_cast<A_u_short>(128 * level(y)),
            7};
  } else {
    return {1.0f, level(x) / 255.0f, level(y) / 255.0f, 7 / 255.0f};
  }
}

template <class Pixel>
bool SamePixel(const Pixel& a, const Pixel& b) {
  return std::memcmp(&a, &b, sizeof(Pixel)) == 0;
}

template <class Pixel>
PF_PixelFormat FormatOf() {
  return hostsim::PixelFormatOf(velmora_test::DepthOf<Pixel>());
}

// A RenderState holding SourceWorld (a W x H pattern) and the input, as the setup leaves it.
struct EdgeStage {
  EdgeStage(hostsim::Host& host, PF_PixelFormat format, A_long margin, A_long width, A_long height,
            bool layer_sized, const hostsim::World& input)
      : suites(host.in_data().pica_basicP), sized(layer_sized ? 1 : 0) {
    state.in_data = &host.in_data();
    state.suites = &suites;
    state.pixel_format = format;
    state.edge_margin = margin;
    state.pad_size = 64 * ((2 * margin + 64) / 64);  // a multiple of 64 above the radius
    state.layer_sized = &sized;
    state.input = const_cast<PF_EffectWorld*>(&input.effect_world);
    AEGP_WorldType type = format == PF_PixelFormat_ARGB32   ? AEGP_WorldType_8
                          : format == PF_PixelFormat_ARGB64 ? AEGP_WorldType_16
                                                            : AEGP_WorldType_32;
    state.err = velmora::NewWorld(suites, type, width, height, &state.source_world);
  }
  ~EdgeStage() { velmora::ReleaseRender(state); }

  velmora::SuiteHandler suites;
  A_u_char sized;
  velmora::RenderState state;
};

template <class Pixel>
class EdgeBands : public HostTest {
 protected:
  void SetUp() override { Boot(); }

  // Runs ExtendEdges over a W x H pattern and checks the image, the four bands and the corners.
  void Check(A_long margin, bool layer_sized) {
    constexpr A_long W = 9, H = 7;
    SCOPED_TRACE(::testing::Message() << "margin " << margin << ", layer sized " << layer_sized);
    hostsim::World* input = MakeWorldOf<Pixel>(W, H, SourcePixel<Pixel>);
    EdgeStage stage(host, FormatOf<Pixel>(), margin, W, H, layer_sized, *input);
    ASSERT_EQ(stage.state.err, PF_Err_NONE);
    const hostsim::World& source = *hostsim::WorldStore::Of(&stage.state.source_world.world);
    for (A_long y = 0; y < H; ++y)
      for (A_long x = 0; x < W; ++x) *source.pixel<Pixel>(x, y) = SourcePixel<Pixel>(x, y);

    ASSERT_TRUE(velmora::ExtendEdges(stage.state)) << stage.state.err;
    const hostsim::World& glow = *hostsim::WorldStore::Of(&stage.state.glow_world.world);
    const hostsim::World& copy = *hostsim::WorldStore::Of(&stage.state.source_copy_world.world);
    const A_long m = margin;
    // What (x, y) of the image with its band should hold: the nearest image pixel, or in a
    // corner square, cleared when the layer is not output-sized.
    const auto expected = [&](A_long x, A_long y) {
      const bool in_x = x >= m && x < m + W, in_y = y >= m && y < m + H;
      if (!in_x && !in_y && !layer_sized) return Pixel{};
      return SourcePixel<Pixel>(std::clamp<A_long>(x - m, 0, W - 1),
                                std::clamp<A_long>(y - m, 0, H - 1));
    };
    int wrong = 0;
    for (A_long y = 0; y < 2 * m + H; ++y) {
      for (A_long x = 0; x < 2 * m + W; ++x) {
        if (!SamePixel(*glow.pixel<Pixel>(x, y), expected(x, y)) && ++wrong <= 5) {
          ADD_FAILURE() << "GlowWorld (" << x << ", " << y << ")";
        }
        if (!SamePixel(*copy.pixel<Pixel>(x, y), *glow.pixel<Pixel>(x, y)) && ++wrong <= 5) {
          ADD_FAILURE() << "SourceCopyWorld differs at (" << x << ", " << y << ")";
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
};

using Depths = ::testing::Types<PF_Pixel, PF_Pixel16, PF_PixelFloat>;
TYPED_TEST_SUITE(EdgeBands, Depths);

TYPED_TEST(EdgeBands, RepeatTheEdgePixelsAndFillTheCorners) {
  for (A_long margin : {0, 1, 2, 3, 5, 8, 50}) {
    for (bool layer_sized : {true, false}) this->Check(margin, layer_sized);
  }
}

// With an input larger than the output the corner samples, placed by the input's size, would
// lie outside GlowWorld; they are held inside it (the sanitizer build sees any stray read).
TEST_F(GlowRenderTest, CornerSamplesStayInsideGlowWorldForALargerInput) {
  hostsim::World* input = MakeWorldOf<PF_Pixel>(400, 300, SourcePixel<PF_Pixel>);
  EdgeStage stage(host, PF_PixelFormat_ARGB32, 3, 9, 7, true, *input);
  ASSERT_EQ(stage.state.err, PF_Err_NONE);
  const hostsim::World& source = *hostsim::WorldStore::Of(&stage.state.source_world.world);
  for (A_long y = 0; y < 7; ++y)
    for (A_long x = 0; x < 9; ++x) *source.pixel<PF_Pixel>(x, y) = SourcePixel<PF_Pixel>(x, y);
  host.ClearJournal();
  ASSERT_TRUE(velmora::ExtendEdges(stage.state)) << stage.state.err;
  const auto fills = CallsOf(velmora_test::NameWorlds(host.journal(), nullptr, nullptr), "fill");
  ASSERT_EQ(fills.size(), 4u);
  // The top-left sample does not depend on the input's size: still the image's first pixel.
  const PF_Pixel first = SourcePixel<PF_Pixel>(0, 0);
  EXPECT_EQ(fills[0].color->red, first.red);
  EXPECT_EQ(fills[0].color->green, first.green);
}

}  // namespace
