// The glow's look, guarded by small reference frames made by recipe: a dot, a ring, an edge and
// a float highlight above 1.0, each rendered at every depth through the real module and
// compared with the frame stored in tests/effect/render/reference/ within a stated tolerance.
//
// When the look changes on purpose, write the frames anew and commit them:
//   VELMORA_UPDATE_REFERENCES=1 ctest --preset release -R ReferenceFrames

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/effect/render/glow_test_support.h"
#include "tests/windows/frame_file.h"

namespace {

using velmora_test::Controls;

constexpr A_long kSize = 24;

struct Recipe {
  const char* name;
  ColorAt picture;
  Controls controls;
};

float Distance(A_long x, A_long y) {
  const float dx = static_cast<float>(x) - 11.5f, dy = static_cast<float>(y) - 11.5f;
  return std::sqrt(dx * dx + dy * dy);
}

// Each recipe takes another road through the render: placement, gamma, tint, edge repeat, Add,
// intensity above 1 and unmultiply.
const Recipe kRecipes[] = {
    {"dot",
     [](A_long x, A_long y) {
       const float v = x == 12 && y == 12 ? 1.0f : 0.0f;
       return PF_PixelFloat{1.0f, v, v, v};
     },
     Controls{.radius = 40}},
    {"ring",
     [](A_long x, A_long y) {
       const float v = std::max(0.0f, 1.0f - std::abs(Distance(x, y) - 7.0f));
       return PF_PixelFloat{v, 0.2f, 0.8f, 1.0f};  // transparent off the ring
     },
     Controls{.radius = 25, .intensity = 0.7f, .tint_enable = true, .gamma = true}},
    {"edge",
     [](A_long x, A_long) {
       return x < 9 ? PF_PixelFloat{1.0f, 0.9f, 0.5f, 0.1f} : PF_PixelFloat{0.5f, 0.0f, 0.2f, 0.0f};
     },
     Controls{.radius = 30, .glow_mode = 2, .repeat_edges = true}},
    {"highlight",  // 4.0 at float; the integer depths hold it at full scale
     [](A_long x, A_long y) {
       const bool spot = x >= 10 && x < 13 && y >= 10 && y < 13;
       return PF_PixelFloat{1.0f, spot ? 4.0f : 0.05f, spot ? 3.0f : 0.05f, spot ? 2.0f : 0.1f};
     },
     Controls{
         .radius = 20, .intensity = 1.5, .tint_enable = true, .tint_mode = 2, .unmultiply = true}},
};

struct DepthRow {
  hostsim::Depth depth;
  const char* name;
  double tolerance;  // on the 0..1 scale: one step at the integer depths, float rounding at 32
};

const DepthRow kDepths[] = {{hostsim::Depth::k8, "8", 1.0 / 255.0},
                            {hostsim::Depth::k16, "16", 1.0 / 32768.0},
                            {hostsim::Depth::k32, "32", 1e-4}};

// Channel `i` of a frame file on the 0..1 scale.
double ChannelOf(const FrameFile::Frame& frame, std::size_t i) {
  switch (frame.bits) {
    case 8:
      return frame.pixels[i] / 255.0;
    case 16: {
      std::uint16_t v;
      std::memcpy(&v, &frame.pixels[i * 2], 2);
      return v / 32768.0;
    }
    default: {
      float v;
      std::memcpy(&v, &frame.pixels[i * 4], 4);
      return v;
    }
  }
}

class ReferenceFrames : public velmora_test::GlowRenderTest {};

TEST_F(ReferenceFrames, EveryRecipeLooksAsStoredAtEveryDepth) {
  const bool update = std::getenv("VELMORA_UPDATE_REFERENCES") != nullptr;
  const std::filesystem::path folder = VELMORA_REFERENCE_DIR;
  for (const Recipe& recipe : kRecipes) {
    for (const DepthRow& row : kDepths) {
      const std::string name = std::string(recipe.name) + "_" + row.name + ".vlmraw";
      SCOPED_TRACE(name);
      hostsim::World* output = nullptr;
      RenderJournal(*MakeWorld(row.depth, kSize, kSize, recipe.picture), recipe.controls, &output);
      ASSERT_NE(output, nullptr);
      const std::filesystem::path file = folder / name;
      if (update) FrameFile::Write(*output, file);

      FrameFile::Frame rendered, stored;
      const std::filesystem::path scratch = testing::TempDir() + name;
      FrameFile::Write(*output, scratch);
      rendered = FrameFile::Read(scratch);
      ASSERT_TRUE(std::filesystem::exists(file)) << "no reference frame: see the command above";
      stored = FrameFile::Read(file);
      ASSERT_EQ(stored.width, rendered.width);
      ASSERT_EQ(stored.height, rendered.height);
      ASSERT_EQ(stored.bits, rendered.bits);

      double worst = 0.0;
      std::size_t worst_at = 0;
      const std::size_t channels = std::size_t(kSize) * kSize * 4;
      for (std::size_t i = 0; i < channels; ++i) {
        const double a = ChannelOf(rendered, i), b = ChannelOf(stored, i);
        const double difference = std::isnan(a) != std::isnan(b) ? INFINITY : std::abs(a - b);
        if (difference > worst) worst = difference, worst_at = i;
      }
      EXPECT_LE(worst, row.tolerance)
          << "pixel (" << worst_at / 4 % kSize << ", " << worst_at / 4 / kSize << "), channel "
          << "ARGB"[worst_at % 4];
    }
  }
}

}  // namespace
