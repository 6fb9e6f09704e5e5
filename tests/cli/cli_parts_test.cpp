// The velmora command's pieces that need no effect: 16-bit scale changes, rows into and out of
// worlds, frame patterns, colours and preset files.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "cli/controls/preset_file.h"
#include "cli/controls/tint_color.h"
#include "cli/image/frame_memory.h"
#include "cli/image/world_transfer.h"
#include "cli/report/cli_error.h"
#include "cli/report/codec_messages.h"
#include "cli/sequence/frame_pattern.h"
#include "hostsim/world_store.h"

namespace cli {
namespace {

TEST(Scale16, EveryFileValueSurvivesWithinOneLevelAndEveryHostValueExactly) {
  for (int file = 0; file <= 65535; ++file) {
    const int host = FileToHost16(static_cast<std::uint16_t>(file));
    ASSERT_LE(host, 32768);
    ASSERT_LE(std::abs(HostToFile16(static_cast<std::uint16_t>(host)) - file), 1) << file;
  }
  for (int host = 0; host <= 32768; ++host) {
    ASSERT_EQ(FileToHost16(HostToFile16(static_cast<std::uint16_t>(host))), host) << host;
  }
  EXPECT_EQ(FileToHost16(65535), 32768);
  EXPECT_EQ(HostToFile16(32768), 65535);
}

// Samples of every kind a row meets: each integer level, and floats at rounding ties, out of
// range, not finite, too small to divide by.
template <class T>
std::vector<T> SampleValues() {
  std::vector<T> values;
  if constexpr (std::is_integral_v<T>) {
    for (long v = 0; v <= std::numeric_limits<T>::max(); ++v) values.push_back(static_cast<T>(v));
  } else {
    for (int level = 0; level <= 2 * 65535; ++level) values.push_back(level / (2.0f * 65535.0f));
    for (int level = 0; level <= 2 * 255; ++level) values.push_back(level / (2.0f * 255.0f));
    const float inf = std::numeric_limits<float>::infinity();
    for (const float v : {-0.25f, -0.0f, 1.0f, 1.5f, 4000.0f, 1e38f, 1e-40f, inf, -inf,
                          std::numeric_limits<float>::quiet_NaN()}) {
      values.push_back(v);
    }
    std::mt19937 random(7);
    std::uniform_real_distribution<float> spread(-0.5f, 2.0f);
    for (int i = 0; i < 20000; ++i) values.push_back(spread(random));
  }
  return values;
}

// Rows of R, G, B, A in file order stored through their packed layout and through the same
// samples laid out B, G, R, A (OpenImageIO's per-channel copy), then loaded back both ways:
// the worlds and the rows match bit for bit.
template <class T>
void ExpectPackedRowsMoveAsPerChannelRows(OIIO::TypeDesc type) {
  const std::vector<T> values = SampleValues<T>();
  constexpr int kWidth = 4096;
  const int height = static_cast<int>((values.size() + kWidth - 1) / kWidth);
  const std::size_t samples = static_cast<std::size_t>(kWidth) * height * 4;
  std::vector<T> rgba(samples), bgra(samples);
  for (std::size_t i = 0; i < samples / 4; ++i) {
    const std::size_t n = values.size();
    const T pixel[4] = {values[i % n], values[(i * 7 + 3) % n], values[n - 1 - i % n],
                        values[(i * 13 + 5) % n]};
    for (std::size_t c = 0; c < 4; ++c) rgba[i * 4 + c] = pixel[c];
    for (std::size_t c = 0; c < 4; ++c) bgra[i * 4 + c] = pixel[c == 3 ? 3 : 2 - c];
  }
  const OIIO::ImageSpec spec(kWidth, height, 4, type);
  LayerChannels packed, swapped;
  packed.rgba = {0, 1, 2, 3};
  swapped.rgba = {2, 1, 0, 3};
  const int packed_roles[] = {0, 1, 2, 3}, swapped_roles[] = {2, 1, 0, 3};
  const auto at = [&](std::vector<T>& row, int y) {
    return reinterpret_cast<std::byte*>(row.data() + static_cast<std::size_t>(y) * kWidth * 4);
  };
  hostsim::WorldStore worlds;
  for (const hostsim::Depth depth :
       {hostsim::Depth::k8, hostsim::Depth::k16, hostsim::Depth::k32}) {
    for (const bool associated : {false, true}) {
      SCOPED_TRACE(testing::Message() << type << " into depth " << hostsim::DepthName(depth)
                                      << (associated ? ", associated" : ""));
      const OwnedWorld one(worlds, worlds.Create(depth, kWidth, height));
      const OwnedWorld other(worlds, worlds.Create(depth, kWidth, height));
      ASSERT_TRUE(one && other);
      RowStoreNotes notes, oracle_notes;
      std::vector<T> loaded(samples), oracle(samples);
      for (int y = 0; y < height; ++y) {
        notes |= StoreFileRow(spec, packed, associated, at(rgba, y), kWidth, *one, 0, y);
        oracle_notes |= StoreFileRow(spec, swapped, associated, at(bgra, y), kWidth, *other, 0, y);
        ASSERT_EQ(std::memcmp(one->row(y), other->row(y),
                              static_cast<std::size_t>(kWidth) * hostsim::PixelSize(depth)),
                  0)
            << "row " << y;
        LoadWorldRow(*one, 0, y, kWidth, associated, spec, packed_roles, at(loaded, y));
        LoadWorldRow(*one, 0, y, kWidth, associated, spec, swapped_roles, at(oracle, y));
      }
      EXPECT_EQ(notes.clipped, oracle_notes.clipped);
      EXPECT_EQ(notes.non_finite, oracle_notes.non_finite);
      for (std::size_t i = 0; i < samples; i += 4) std::swap(oracle[i], oracle[i + 2]);
      ASSERT_EQ(std::memcmp(loaded.data(), oracle.data(), samples * sizeof(T)), 0);
    }
  }
}

TEST(WorldTransfer, PackedRgbaRowsMoveAsThePerChannelCopyMovesThem) {
  ExpectPackedRowsMoveAsPerChannelRows<std::uint8_t>(OIIO::TypeDesc::UINT8);
  ExpectPackedRowsMoveAsPerChannelRows<std::uint16_t>(OIIO::TypeDesc::UINT16);
  ExpectPackedRowsMoveAsPerChannelRows<float>(OIIO::TypeDesc::FLOAT);
}

TEST(FramePattern, ExpandsHashesAndPrintfStyle) {
  struct Case {
    const char* pattern;
    long frame;
    const char* expected;
  } cases[] = {
      {"in/shot.####.exr", 7, "in/shot.0007.exr"},
      {"shot.%04d.exr", 1001, "shot.1001.exr"},
      {"shot.%d.png", 42, "shot.42.png"},
      {"shot.##.png", 123, "shot.123.png"},         // wider numbers are not cut
      {"dir#1/shot.#.png", 5, "dir#1/shot.5.png"},  // only the file name holds the pattern
      {"shot.####.exr", -3, "shot.-003.exr"},
  };
  for (const Case& c : cases) {
    const auto pattern = FramePattern::Find(c.pattern);
    ASSERT_TRUE(pattern) << c.pattern;
    EXPECT_EQ(pattern->FramePath(c.frame), c.expected);
  }
  EXPECT_FALSE(FramePattern::Find("plain.exr"));
  EXPECT_THROW(FramePattern::Find("a.##.%04d.exr"), CliError);
}

TEST(FrameRange, ParsesRangesAndRejectsNonsense) {
  EXPECT_EQ(ParseFrameRange("1001-1100").count(), 100);
  EXPECT_EQ(ParseFrameRange("7").first, 7);
  EXPECT_EQ(ParseFrameRange("-5--1").last, -1);
  for (const char* bad : {"", "10-1", "a-b", "1-", "1..5"}) {
    EXPECT_THROW(ParseFrameRange(bad), CliError) << bad;
  }
}

TEST(TintColor, ReadsHexAndFloats) {
  struct Case {
    const char* text;
    TintColor expected;
  } cases[] = {
      {"#FF8000", {1.0, 128 / 255.0, 0.0, 1.0}},
      {"#ff800040", {1.0, 128 / 255.0, 0.0, 64 / 255.0}},
      {"0.25,0.5,1", {0.25, 0.5, 1.0, 1.0}},
      {"0.1, 0.2, 0.3, 0.4", {0.1, 0.2, 0.3, 0.4}},
  };
  for (const Case& c : cases) {
    const TintColor color = ParseTintColor(c.text, "--tint");
    EXPECT_DOUBLE_EQ(color.red, c.expected.red) << c.text;
    EXPECT_DOUBLE_EQ(color.green, c.expected.green) << c.text;
    EXPECT_DOUBLE_EQ(color.blue, c.expected.blue) << c.text;
    EXPECT_DOUBLE_EQ(color.alpha, c.expected.alpha) << c.text;
  }
  for (const char* bad :
       {"#FF80", "red", "1,2", "0.5,0.5,1.5", "0.5,,0.5", "-0.1,0,0", "nan,0,0"}) {
    EXPECT_THROW(ParseTintColor(bad, "--tint"), CliError) << bad;
  }
}

TEST(PresetFile, JsonAndTomlGiveTheSameSettings) {
  const std::map<std::string, std::string> expected = {{"radius", "40"},
                                                       {"intensity", "1.5"},
                                                       {"tint", "#FF8800"},
                                                       {"tint-mode", "soft"},
                                                       {"gamma", "true"}};
  const std::string json =
      R"({"radius": 40, "intensity": 1.5, "tint": "#FF8800", "tint_mode": "soft", "gamma": true})";
  const std::string toml =
      "# a look\nradius = 40\nintensity = 1.5   # brighter\ntint = \"#FF8800\"\n"
      "tint-mode = 'soft'\n\ngamma = true\n";
  EXPECT_EQ(ParsePreset(json, "look.json"), expected);
  EXPECT_EQ(ParsePreset(toml, "look.toml"), expected);
  EXPECT_EQ(ParsePreset(json, "look.preset"), expected);  // told apart by the opening brace
  const std::string bom = "\xEF\xBB\xBF";
  EXPECT_EQ(ParsePreset(bom + json, "look.preset"), expected);
  EXPECT_EQ(ParsePreset(bom + toml, "look.toml"), expected);
}

TEST(PresetFile, RejectsWhatIsNotOneFlatObject) {
  for (const auto& [text, name] : std::vector<std::pair<std::string, std::string>>{
           {"[1, 2]", "a.json"},
           {R"({"radius": {"value": 3}})", "a.json"},
           {R"({"radius": 3)", "a.json"},
           {"[glow]\nradius = 3\n", "a.toml"},
           {"radius = 3\nradius = 4\n", "a.toml"},
           {"radius 3\n", "a.toml"},
           {R"({"radius": 3, "radius": 4})", "a.json"},
           {R"({"tint_mode": "soft", "tint-mode": "standard"})", "a.json"},
           {std::string("{\"radius\": 5}\0garbage", 21), "a.json"},
           {std::string("radius = 5\n\0", 12), "a.toml"},
       }) {
    EXPECT_THROW(ParsePreset(text, name), CliError) << text;
  }
}

TEST(MemorySize, UnitsInEitherCase) {
  constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;
  for (const auto& [text, bytes] :
       std::vector<std::pair<std::string, std::uint64_t>>{{"16G", 16 * kGiB},
                                                          {"16g", 16 * kGiB},
                                                          {"16GB", 16 * kGiB},
                                                          {"16gib", 16 * kGiB},
                                                          {"512m", 512ull * 1024 * 1024},
                                                          {"1.5t", 1536 * kGiB},
                                                          {"64k", 65536},
                                                          {"4096", 4096}}) {
    EXPECT_EQ(ParseMemorySize(text), bytes) << text;
  }
  for (const char* bad : {"16x", "g", "16 G", "-1G", "16GG", "16B", "1e30T", ""}) {
    EXPECT_FALSE(ParseMemorySize(bad)) << bad;
  }
}

TEST(CodecReason, NamesTheFileNoMoreAndSaysEachThingOnce) {
  EXPECT_EQ(CodecReason("not a readable image",
                        "JPEG error: Premature end of JPEG file (\"t.jpg\")\nBad JPEG header for "
                        "\"t.jpg\"\nBad JPEG header for \"t.jpg\"\n"),
            "not a readable image (JPEG error: Premature end of JPEG file; Bad JPEG header)");
  EXPECT_EQ(CodecReason("cannot write", " \n"), "cannot write (the reader gave no reason)");
}

TEST(ShownName, ControlCharactersCannotForgeALine) {
  EXPECT_EQ(ShownName("shot.0001.exr"), "shot.0001.exr");
  EXPECT_EQ(ShownName("a\nvelmora: b\t\x1b[2J.png"), "'a\\nvelmora: b\\t\\x1b[2J.png'");
  EXPECT_EQ(std::string(CliError("x\ny.png", "no such file").what()), "'x\\ny.png': no such file");
}

}  // namespace
}  // namespace cli
