// The options built around the effect, through the command: highlights (threshold and knee),
// mix and the glow pass. At their defaults the effect's output passes through untouched.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "tests/cli/cli_runner.h"

namespace velmora_test {
namespace {

using OIIO::TypeDesc;

// A dim frame with a few bright spots, opaque or with alpha from 0.5 up; scale lifts the whole
// of it (HDR at scale > 1).
void WriteSpots(const std::filesystem::path& path, TypeDesc type, float scale, bool opaque = true) {
  OIIO::ImageSpec spec(48, 32, 4, type);
  WriteFixture(path, spec, [&](int x, int y, int c) {
    if (c == 3) return opaque ? 1.0f : 0.5f + 0.5f * static_cast<float>((x + y) % 8) / 7;
    const bool spot = (x % 16 == 7) && (y % 16 == 7);
    const float dim = 0.05f + 0.3f * static_cast<float>((x * 7 + y * 3 + c * 5) % 10) / 9;
    return scale * (spot ? 0.95f - 0.1f * static_cast<float>(c) : dim);
  });
}

RunResult Render(const std::filesystem::path& in, const std::filesystem::path& out,
                 std::vector<std::string> flags) {
  std::vector<std::string> args{"render", in.string(), out.string(), "-q", "--radius", "40"};
  args.insert(args.end(), flags.begin(), flags.end());
  return RunVelmora(args);
}

float MaxDifference(const Pixels& a, const Pixels& b) {
  EXPECT_EQ(a.values.size(), b.values.size());
  float worst = 0.0f;
  for (std::size_t i = 0; i < std::min(a.values.size(), b.values.size()); ++i) {
    worst = std::max(worst, std::abs(a.values[i] - b.values[i]));
  }
  return worst;
}

TEST(VelmoraHighlights, DefaultsLeaveTheEffectsOutputBitForBit) {
  for (const char* name : {"in.png", "in.tif", "in.exr"}) {
    SCOPED_TRACE(name);
    ScratchFolder folder;
    const std::string extension = std::filesystem::path(name).extension().string();
    const TypeDesc type = extension == ".png"   ? TypeDesc::UINT8
                          : extension == ".tif" ? TypeDesc::UINT16
                                                : TypeDesc::FLOAT;
    WriteSpots(folder / name, type, 1.0f);
    for (const char* depth : {"8", "16", "32"}) {
      SCOPED_TRACE(depth);
      const auto plain = folder / ("plain" + extension);
      const auto spelled = folder / ("spelled" + extension);
      ASSERT_EQ(Render(folder / name, plain, {"--depth", depth}).status, 0);
      const RunResult run = Render(folder / name, spelled,
                                   {"--depth", depth, "--threshold", "0", "--softness", "0.4",
                                    "--mix", "1", "--no-glow-pass"});
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(MaxDifference(ReadPixels(plain), ReadPixels(spelled)), 0.0f);
    }
  }
}

TEST(VelmoraHighlights, NothingAboveTheThresholdComesBackUnchanged) {
  struct Case {
    const char* file;
    TypeDesc type;
    const char* depth;
    float scale;
    const char* threshold;
    // As radius 0 passes a file: a 16-bit file crosses the host's 15-bit depth (one level), an
    // EXR's colour is divided by alpha and multiplied again.
    float tolerance;
  } cases[] = {
      {"in.png", TypeDesc::UINT8, "8", 1.0f, "0.96", 0.0f},
      {"in.tif", TypeDesc::UINT16, "16", 1.0f, "0.96", 1.5f / 65535},
      {"in.exr", TypeDesc::FLOAT, "32", 1.0f, "0.96", 2e-6f},
      {"hdr.exr", TypeDesc::FLOAT, "32", 4.0f, "4", 8e-6f},  // scene-linear, spots at 3.8
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ScratchFolder folder;
    WriteSpots(folder / c.file, c.type, c.scale, false);
    for (const char* mode : {"screen", "add"}) {
      const auto out = folder / (std::string("out_") + c.file);
      const RunResult run = Render(folder / c.file, out,
                                   {"--depth", c.depth, "--mode", mode, "--threshold", c.threshold,
                                    "--softness", "1", "--intensity", "3"});
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_LE(MaxDifference(ReadPixels(folder / c.file), ReadPixels(out)), c.tolerance) << mode;
    }
  }
}

// plate + pass = full, in premultiplied colour, and the glow only where the highlights are.
void ExpectPassAddsUp(const std::filesystem::path& plate_path, const Pixels& full,
                      const Pixels& pass, float tolerance) {
  const Pixels plate = ReadPixels(plate_path);
  ASSERT_EQ(full.values.size(), plate.values.size());
  ASSERT_EQ(pass.values.size(), plate.values.size());
  // EXR holds associated colour: a file's values are already premultiplied.
  float worst = 0.0f;
  for (std::size_t i = 0; i < plate.values.size(); ++i) {
    if (i % 4 == 3) continue;
    worst = std::max(worst, std::abs(plate.values[i] + pass.values[i] - full.values[i]));
  }
  EXPECT_LE(worst, tolerance);
}

TEST(VelmoraHighlights, PlatePlusGlowPassIsTheFullResult) {
  struct Case {
    const char* name;
    float scale;
    std::vector<std::string> flags;
  } cases[] = {
      {"screen", 1.0f, {"--threshold", "0.5", "--softness", "0.3"}},
      {"add", 1.0f, {"--threshold", "0.5", "--mode", "add"}},
      {"mixed", 1.0f, {"--threshold", "0.5", "--mix", "0.4", "--intensity", "2"}},
      {"whole frame", 1.0f, {"--mix", "0.7"}},
      {"hdr at 4", 8.0f, {"--threshold", "4", "--softness", "0.5", "--mode", "add"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    WriteSpots(folder / "in.exr", TypeDesc::FLOAT, c.scale);
    std::vector<std::string> pass_flags = c.flags;
    pass_flags.push_back("--glow-pass");
    ASSERT_EQ(Render(folder / "in.exr", folder / "full.exr", c.flags).status, 0);
    const RunResult run = Render(folder / "in.exr", folder / "pass.exr", pass_flags);
    ASSERT_EQ(run.status, 0) << run.err;
    const Pixels full = ReadPixels(folder / "full.exr");
    const Pixels pass = ReadPixels(folder / "pass.exr");
    ExpectPassAddsUp(folder / "in.exr", full, pass, 1e-5f * c.scale);
    float brightest = 0.0f;
    for (std::size_t i = 0; i < pass.values.size(); ++i) {
      if (i % 4 != 3) brightest = std::max(brightest, pass.values[i]);
    }
    EXPECT_GT(brightest, 0.01f * c.scale);  // the glow is there
  }
}

TEST(VelmoraHighlights, MixRunsLinearlyFromThePlateToTheFullResult) {
  ScratchFolder folder;
  WriteSpots(folder / "in.exr", TypeDesc::FLOAT, 1.0f);
  for (const char* mix : {"0", "0.25", "1"}) {
    ASSERT_EQ(Render(folder / "in.exr", folder / (std::string("mix") + mix + ".exr"),
                     {"--threshold", "0.5", "--mix", mix, "--unmultiply"})
                  .status,
              0);
  }
  ASSERT_EQ(
      Render(folder / "in.exr", folder / "full.exr", {"--threshold", "0.5", "--unmultiply"}).status,
      0);
  const Pixels plate = ReadPixels(folder / "in.exr");
  const Pixels none = ReadPixels(folder / "mix0.exr");
  const Pixels quarter = ReadPixels(folder / "mix0.25.exr");
  const Pixels whole = ReadPixels(folder / "mix1.exr");
  EXPECT_EQ(MaxDifference(whole, ReadPixels(folder / "full.exr")), 0.0f);
  // With unmultiply the plate takes unmultiply's form: its colour over black, alpha its
  // brightest channel; the fixture is opaque, so its colour is what the file holds.
  float worst_colour = 0.0f;
  float worst_linear = 0.0f;
  for (std::size_t i = 0; i < plate.values.size(); ++i) {
    if (i % 4 != 3)
      worst_colour = std::max(worst_colour, std::abs(none.values[i] - plate.values[i]));
    const float expected = none.values[i] + 0.25f * (whole.values[i] - none.values[i]);
    worst_linear = std::max(worst_linear, std::abs(quarter.values[i] - expected));
  }
  EXPECT_LE(worst_colour, 1e-6f);
  EXPECT_LE(worst_linear, 1e-5f);
}

TEST(VelmoraHighlights, PresetKeysAndRefusals) {
  ScratchFolder folder;
  WriteSpots(folder / "in.png", TypeDesc::UINT8, 1.0f);
  std::ofstream(folder / "look.json") << R"({"threshold": 0.5, "softness": 0.25, "mix": 0.5})";
  ASSERT_EQ(Render(folder / "in.png", folder / "preset.png",
                   {"--preset", (folder / "look.json").string()})
                .status,
            0);
  ASSERT_EQ(Render(folder / "in.png", folder / "flags.png",
                   {"--threshold", "0.5", "--softness", "0.25", "--mix", "0.5"})
                .status,
            0);
  EXPECT_EQ(MaxDifference(ReadPixels(folder / "preset.png"), ReadPixels(folder / "flags.png")),
            0.0f);

  std::ofstream(folder / "bad.json") << R"({"softness": 3})";
  struct Refusal {
    std::vector<std::string> flags;
    std::string words;
  } refusals[] = {
      {{"--mix", "2"}, "velmora: --mix: 2 is outside the range 0 to 1"},
      {{"--threshold", "bright"}, "velmora: --threshold: 'bright' is not a number (0 to 1000)"},
      {{"--threshold", "-1"}, "velmora: --threshold: -1 is outside the range 0 to 1000"},
      {{"--preset", (folder / "bad.json").string()},
       "bad.json: softness: 3 is outside the range 0 to 1"},
  };
  for (const Refusal& refusal : refusals) {
    const RunResult run = Render(folder / "in.png", folder / "refused.png", refusal.flags);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(refusal.words), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "refused.png"));
  }
}

}  // namespace
}  // namespace velmora_test
