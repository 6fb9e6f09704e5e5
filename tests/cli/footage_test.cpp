// velmora on files as compositors make them: processing depth, colour-space tags, compression,
// output types, data windows, extra channels and parts, provenance, threads, and the input a
// careless or hostile user can hand it.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <fstream>

#include "tests/cli/cli_runner.h"

namespace velmora_test {
namespace {

using OIIO::TypeDesc;

float MaxDifference(const Pixels& a, const Pixels& b) {
  float worst = 0.0f;
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    worst = std::max(worst, std::abs(a.values[i] - b.values[i]));
  }
  return worst;
}

RunResult Render(const std::filesystem::path& in, const std::filesystem::path& out,
                 std::vector<std::string> flags = {}) {
  std::vector<std::string> args = {"render", in.string(), out.string()};
  args.insert(args.end(), flags.begin(), flags.end());
  return RunVelmora(args);
}

bool Contains(const std::string& text, const std::string& words) {
  return text.find(words) != std::string::npos;
}

// A small bright square on black: light the glow spreads.
float Square(int x, int y, int left, int top, int size, float level) {
  return x >= left && x < left + size && y >= top && y < top + size ? level : 0.0f;
}

// The pixels of one part of a file, as floats.
Pixels ReadPart(const std::filesystem::path& path, int part) {
  auto file = OIIO::ImageInput::open(path.string());
  if (!file || !file->seek_subimage(part, 0)) throw std::runtime_error("no part");
  Pixels pixels;
  pixels.spec = file->spec();
  pixels.values.resize(pixels.spec.image_pixels() * pixels.spec.nchannels);
  file->read_image(part, 0, 0, pixels.spec.nchannels, TypeDesc::FLOAT, pixels.values.data());
  return pixels;
}

TEST(VelmoraDepth, FloatByDefaultKeepsGammaSmoothAndHighlightsWhole) {
  ScratchFolder folder;
  // An 8-bit sky gradient: at 8-bit processing --gamma posterises it.
  WriteFixture(folder / "sky.png", OIIO::ImageSpec(96, 32, 3, TypeDesc::UINT8),
               [](int x, int, int c) { return (40.0f + x + 10.0f * c) / 255.0f; });
  const std::vector<std::string> look = {"--radius", "20", "--intensity", "0.25", "--gamma"};
  ASSERT_EQ(Render(folder / "sky.png", folder / "float.png", look).status, 0);
  auto sixteen = look;
  sixteen.insert(sixteen.end(), {"--depth", "16"});
  ASSERT_EQ(Render(folder / "sky.png", folder / "sixteen.png", sixteen).status, 0);
  auto eight = look;
  eight.insert(eight.end(), {"--depth", "8"});
  ASSERT_EQ(Render(folder / "sky.png", folder / "eight.png", eight).status, 0);
  const Pixels by_float = ReadPixels(folder / "float.png");
  EXPECT_EQ(by_float.spec.format, TypeDesc::UINT8);  // written at the file's depth
  EXPECT_LE(MaxDifference(by_float, ReadPixels(folder / "sixteen.png")), 1.01f / 255);
  EXPECT_GT(MaxDifference(by_float, ReadPixels(folder / "eight.png")), 1.01f / 255);

  // Values above 1.0 survive the default; --depth 16 clips them and says so once.
  WriteFixture(folder / "hot.exr", OIIO::ImageSpec(16, 16, 3, TypeDesc::HALF),
               [](int x, int y, int) { return Square(x, y, 6, 6, 4, 8.0f); });
  RunResult run = Render(folder / "hot.exr", folder / "hot_float.exr", {"--radius", "0"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_FLOAT_EQ(ReadPixels(folder / "hot_float.exr").at(7, 7, 0), 8.0f);
  run = Render(folder / "hot.exr", folder / "hot16.exr", {"--radius", "0", "--depth", "16"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.err, "warning: ") && Contains(run.err, "above 1.0")) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_FLOAT_EQ(ReadPixels(folder / "hot16.exr").at(7, 7, 0), 1.0f);
}

TEST(VelmoraColourSpace, GammaOnLinearDataIsWarnedAbout) {
  ScratchFolder folder;
  const OIIO::ImageSpec spec(8, 8, 3, TypeDesc::HALF);
  WriteFixture(folder / "plate.exr", spec, [](int, int, int) { return 0.5f; });
  WriteFixture(folder / "photo.png", OIIO::ImageSpec(8, 8, 3, TypeDesc::UINT8),
               [](int, int, int) { return 0.5f; });
  const struct {
    const char* name;
    bool warned;
  } cases[] = {{"plate.exr", true}, {"photo.png", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult run = Render(folder / c.name, folder / (std::string("o_") + c.name),
                                 {"--radius", "2", "--gamma"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Contains(run.err, "scene-linear"), c.warned) << run.err;
  }
}

TEST(VelmoraOutput, CompressionTypeAndQuality) {
  ScratchFolder folder;
  const auto hot = [](int x, int y, int) { return Square(x, y, 10, 10, 12, 7168.0f); };
  struct Case {
    const char* input_compression;
    std::vector<std::string> flags;
    const char* written;
  } cases[] = {
      {"dwab", {}, "zip"},                          // lossy: never carried silently
      {"b44", {}, "zip"},                           //
      {"piz", {}, "piz"},                           // lossless: carried
      {"dwab", {"--compression", "dwaa"}, "dwaa"},  // asked for
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input_compression);
    OIIO::ImageSpec spec(32, 32, 3, TypeDesc::HALF);
    spec.attribute("compression", c.input_compression);
    WriteFixture(folder / "in.exr", spec, hot);
    std::vector<std::string> flags = {"--intensity", "0.5"};
    flags.insert(flags.end(), c.flags.begin(), c.flags.end());
    const RunResult run = Render(folder / "in.exr", folder / "out.exr", flags);
    ASSERT_EQ(run.status, 0) << run.err;
    const Pixels out = ReadPixels(folder / "out.exr");
    EXPECT_EQ(out.spec.get_string_attribute("compression"), c.written);
    if (c.flags.empty()) {
      EXPECT_GE(out.at(15, 15, 0), 7168.0f);  // no highlight darkened
    }
  }

  // --data-type picks the stored type; a float EXR goes to DPX as integers unless asked.
  WriteFixture(folder / "f.exr", OIIO::ImageSpec(8, 8, 3, TypeDesc::FLOAT),
               [](int x, int, int) { return x / 8.0f; });
  WriteFixture(folder / "p.jpg", OIIO::ImageSpec(8, 8, 3, TypeDesc::UINT8),
               [](int x, int, int) { return x / 8.0f; });
  const struct {
    const char* input;
    const char* output;
    std::vector<std::string> flags;
    TypeDesc type;
    int bits;
  } types[] = {
      {"f.exr", "o.dpx", {}, TypeDesc::UINT16, 16},
      {"f.exr", "o10.dpx", {"-d", "uint10"}, TypeDesc::UINT16, 10},
      {"f.exr", "h.exr", {"--data-type", "half"}, TypeDesc::HALF, 16},
      {"p.jpg", "o16.tif", {"--depth", "16", "-d", "uint16"}, TypeDesc::UINT16, 16},
      {"p.jpg", "o8.tif", {"--depth", "16"}, TypeDesc::UINT8, 8},
  };
  for (const auto& t : types) {
    SCOPED_TRACE(t.output);
    const RunResult run = Render(folder / t.input, folder / t.output, t.flags);
    ASSERT_EQ(run.status, 0) << run.err;
    const OIIO::ImageSpec spec = ReadPixels(folder / t.output).spec;
    EXPECT_EQ(spec.format, t.type);
    EXPECT_EQ(spec.get_int_attribute("oiio:BitsPerSample", 8 * int(spec.format.size())), t.bits);
  }
  EXPECT_EQ(Render(folder / "f.exr", folder / "x.exr", {"-d", "int7"}).status, 2);
  EXPECT_EQ(Render(folder / "f.exr", folder / "x.exr", {"--compression", "zap"}).status, 2);

  WriteFixture(folder / "noise.png", OIIO::ImageSpec(64, 64, 3, TypeDesc::UINT8),
               [](int x, int y, int c) { return ((x * 37 + y * 91 + c * 53) % 255) / 255.0f; });
  ASSERT_EQ(Render(folder / "noise.png", folder / "q10.jpg", {"--quality", "10"}).status, 0);
  ASSERT_EQ(Render(folder / "noise.png", folder / "q95.jpg", {"--quality", "95"}).status, 0);
  EXPECT_LT(std::filesystem::file_size(folder / "q10.jpg"),
            std::filesystem::file_size(folder / "q95.jpg"));
}

TEST(VelmoraDataWindow, TheGlowReachesPastTheDataWindow) {
  ScratchFolder folder;
  OIIO::ImageSpec inside(8, 8, 4, TypeDesc::HALF);  // data window inside a 32 x 32 frame
  inside.x = 12;
  inside.y = 12;
  inside.full_width = inside.full_height = 32;
  WriteFixture(folder / "inside.exr", inside, [](int, int, int) { return 1.0f; });
  OIIO::ImageSpec overscan(40, 40, 4, TypeDesc::HALF);  // overscan around a 32 x 32 frame
  overscan.x = overscan.y = -4;
  overscan.full_width = overscan.full_height = 32;
  WriteFixture(folder / "overscan.exr", overscan,
               [](int x, int y, int) { return Square(x, y, 0, 0, 6, 1.0f); });

  ASSERT_EQ(Render(folder / "inside.exr", folder / "inside_out.exr", {"--radius", "6"}).status, 0);
  const Pixels out = ReadPixels(folder / "inside_out.exr");
  EXPECT_EQ(out.spec.x, 0);
  EXPECT_EQ(out.spec.y, 0);
  EXPECT_EQ(out.spec.width, 32);
  EXPECT_EQ(out.spec.height, 32);
  EXPECT_EQ(out.spec.full_width, 32);
  EXPECT_GT(out.at(8, 16, 3), 0.0f);   // glow outside the input's data window
  EXPECT_EQ(out.at(15, 15, 3), 1.0f);  // the element itself

  ASSERT_EQ(Render(folder / "overscan.exr", folder / "overscan_out.exr").status, 0);
  const Pixels kept = ReadPixels(folder / "overscan_out.exr");
  EXPECT_EQ(kept.spec.x, -4);
  EXPECT_EQ(kept.spec.width, 40);
  EXPECT_EQ(kept.spec.full_width, 32);

  // A format without data windows gets the display window.
  ASSERT_EQ(Render(folder / "inside.exr", folder / "inside.png", {"--radius", "6"}).status, 0);
  const Pixels flat = ReadPixels(folder / "inside.png");
  EXPECT_EQ(flat.spec.width, 32);
  EXPECT_GT(flat.at(8, 16, 3), 0.0f);
}

TEST(VelmoraChannels, EveryChannelAndPartIsKept) {
  ScratchFolder folder;
  OIIO::ImageSpec spec(16, 16, 8, TypeDesc::HALF);
  spec.channelnames = {"R", "G", "B", "A", "diffuse.R", "diffuse.G", "diffuse.B", "Z"};
  spec.alpha_channel = 3;
  const auto value = [](int x, int y, int c) {
    if (c == 3) return 1.0f;
    if (c == 7) return 10.0f + x + 100.0f * y;  // depth: must come back exactly
    return Square(x, y, 6, 6, 4, 1.0f) * (c < 3 ? 1.0f : 0.5f);
  };
  WriteFixture(folder / "aovs.exr", spec, value);
  const Pixels before = ReadPixels(folder / "aovs.exr");

  const struct {
    const char* layer;
    int glowed, kept;  // a channel the glow must change, one it must leave alone
  } cases[] = {{"", 0, 4}, {"diffuse", 4, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layer);
    std::vector<std::string> flags = {"--radius", "4"};
    if (*c.layer) flags.insert(flags.end(), {"--layer", c.layer});
    const RunResult run = Render(folder / "aovs.exr", folder / "out.exr", flags);
    ASSERT_EQ(run.status, 0) << run.err;
    const Pixels after = ReadPixels(folder / "out.exr");
    ASSERT_EQ(after.spec.nchannels, 8);
    for (int ch = 0; ch < 8; ++ch) {
      EXPECT_GE(after.spec.channelindex(spec.channelnames[static_cast<std::size_t>(ch)]), 0);
    }
    // The reader may order channels its own way: find them by name on both sides.
    const auto index = [&](const Pixels& pixels, int channel) {
      return pixels.spec.channelindex(spec.channelnames[static_cast<std::size_t>(channel)]);
    };
    const int glowed = index(after, c.glowed);
    float z_error = 0.0f, kept_error = 0.0f;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        z_error = std::max(
            z_error, std::abs(after.at(x, y, index(after, 7)) - before.at(x, y, index(before, 7))));
        kept_error = std::max(kept_error, std::abs(after.at(x, y, index(after, c.kept)) -
                                                   before.at(x, y, index(before, c.kept))));
      }
    }
    EXPECT_EQ(z_error, 0.0f);
    EXPECT_EQ(kept_error, 0.0f);
    EXPECT_GT(after.at(4, 8, glowed), 0.0f);  // the glow beside the square
  }
  EXPECT_EQ(Render(folder / "aovs.exr", folder / "x.exr", {"--layer", "specular"}).status, 1);
  const RunResult png = Render(folder / "aovs.exr", folder / "flat.png");
  ASSERT_EQ(png.status, 0);
  EXPECT_TRUE(Contains(png.err, "warning: ")) << png.err;  // channels left out, said aloud

  // Two parts: the second goes through untouched.
  OIIO::ImageSpec parts[2] = {OIIO::ImageSpec(16, 16, 3, TypeDesc::HALF),
                              OIIO::ImageSpec(8, 4, 1, TypeDesc::FLOAT)};
  parts[0].attribute("name", "beauty");
  parts[1].attribute("name", "depth");
  parts[1].channelnames = {"Z"};
  parts[1].full_width = parts[1].full_height = 16;  // parts share one display window
  {
    auto file = OIIO::ImageOutput::create("exr");
    std::vector<float> beauty(16 * 16 * 3), depth(8 * 4);
    for (int i = 0; i < 16 * 16; ++i) beauty[i * 3] = Square(i % 16, i / 16, 6, 6, 4, 1.0f);
    for (int i = 0; i < 8 * 4; ++i) depth[i] = 1000.0f + i;
    const std::string name = (folder / "parts.exr").string();
    ASSERT_TRUE(file->open(name, 2, parts)) << file->geterror();
    ASSERT_TRUE(file->write_image(TypeDesc::FLOAT, beauty.data()));
    ASSERT_TRUE(file->open(name, parts[1], OIIO::ImageOutput::AppendSubimage));
    ASSERT_TRUE(file->write_image(TypeDesc::FLOAT, depth.data()));
    ASSERT_TRUE(file->close());
  }
  ASSERT_EQ(Render(folder / "parts.exr", folder / "parts_out.exr").status, 0);
  const Pixels depth = ReadPart(folder / "parts_out.exr", 1);
  EXPECT_EQ(depth.spec.width, 8);
  for (int i = 0; i < 8 * 4; ++i) ASSERT_EQ(depth.values[static_cast<std::size_t>(i)], 1000.0f + i);
  EXPECT_GT(ReadPart(folder / "parts_out.exr", 0).at(4, 8, 0), 0.0f);
}

TEST(VelmoraChannels, NamedColourChannelsKeepTheirRoles) {
  ScratchFolder folder;
  const struct {
    std::vector<std::string> names;
    float rgb[3];  // what comes out of channels holding 0.75 and 0.25
  } cases[] = {{{"R", "G"}, {0.75f, 0.25f, 0.0f}},  // not grey and alpha
               {{"G", "B"}, {0.0f, 0.75f, 0.25f}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.names.front());
    OIIO::ImageSpec spec(8, 8, 2, TypeDesc::HALF);
    spec.channelnames = c.names;
    WriteFixture(folder / "in.exr", spec, [](int, int, int ch) { return ch == 0 ? 0.75f : 0.25f; });
    ASSERT_EQ(Render(folder / "in.exr", folder / "out.exr", {"--radius", "0"}).status, 0);
    const Pixels out = ReadPixels(folder / "out.exr");
    ASSERT_EQ(out.spec.nchannels, 3);  // no alpha came in: none goes out
    for (int ch = 0; ch < 3; ++ch) EXPECT_FLOAT_EQ(out.at(3, 3, ch), c.rgb[ch]);
  }
}

TEST(VelmoraProvenance, SoftwareAndHistoryNameTheTool) {
  ScratchFolder folder;
  OIIO::ImageSpec spec(8, 8, 3, TypeDesc::HALF);
  spec.attribute("Software", "some renderer");
  spec.attribute("Exif:ImageHistory", "rendered");
  WriteFixture(folder / "in.exr", spec, [](int, int, int) { return 0.5f; });
  ASSERT_EQ(Render(folder / "in.exr", folder / "out.exr", {"--radius", "3"}).status, 0);
  const OIIO::ImageSpec out = ReadPixels(folder / "out.exr").spec;
  const std::string software = out.get_string_attribute("Software");
  EXPECT_EQ(software.rfind("velmora ", 0), 0u) << software;
  const std::string history = out.get_string_attribute("Exif:ImageHistory");
  EXPECT_EQ(history.rfind("rendered\nvelmora render ", 0), 0u) << history;
  EXPECT_TRUE(Contains(history, "--radius 3")) << history;
}

TEST(VelmoraThreads, AnyThreadCountGivesTheSamePicture) {
  ScratchFolder folder;
  WriteFixture(folder / "in.exr", OIIO::ImageSpec(40, 30, 3, TypeDesc::FLOAT),
               [](int x, int y, int) { return Square(x, y, 15, 10, 8, 4.0f); });
  ASSERT_EQ(Render(folder / "in.exr", folder / "one.exr", {"--threads", "1"}).status, 0);
  ASSERT_EQ(Render(folder / "in.exr", folder / "all.exr", {"--threads", "0"}).status, 0);
  EXPECT_EQ(MaxDifference(ReadPixels(folder / "one.exr"), ReadPixels(folder / "all.exr")), 0.0f);
  EXPECT_EQ(Render(folder / "in.exr", folder / "x.exr", {"--threads", "-2"}).status, 2);
}

TEST(VelmoraHelp, ShowsRangesWithoutParserMarkupAndNamesRefusals) {
  const RunResult help = RunVelmora({"render", "--help"});
  ASSERT_EQ(help.status, 0);
  EXPECT_TRUE(Contains(help.out, "0 to 500, default 100")) << help.out;
  for (const char* markup : {"{false}", "Excludes", "INT:", "REQUIRED"}) {
    EXPECT_FALSE(Contains(help.out, markup)) << markup;
  }
  const RunResult info = RunVelmora({"info"});
  ASSERT_EQ(info.status, 0);
  std::istringstream lines(info.out);
  bool radius_row = false;
  for (std::string line; std::getline(lines, line);) {
    // The flag follows the label, before the type and the range.
    const auto flag = line.find("--radius");
    if (flag != std::string::npos) radius_row = flag < line.find("integer slider");
  }
  EXPECT_TRUE(radius_row) << info.out;

  ScratchFolder folder;
  WriteFixture(folder / "in.png", OIIO::ImageSpec(8, 8, 3, TypeDesc::UINT8),
               [](int, int, int) { return 0.5f; });
  std::filesystem::create_directory(folder / "out");
  const RunResult directory = Render(folder / "in.png", folder / "out");
  EXPECT_EQ(directory.status, 2);
  EXPECT_TRUE(Contains(directory.err, "is a directory")) << directory.err;

  // Repeating the edges of a frame this wide asks for a world over the host's limit.
  WriteFixture(folder / "wide.png", OIIO::ImageSpec(29990, 1, 3, TypeDesc::UINT8),
               [](int, int, int) { return 0.5f; });
  const RunResult refused =
      Render(folder / "wide.png", folder / "o.png", {"--repeat-edges", "--radius", "10"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Contains(refused.err, "AEGP_New") && Contains(refused.err, "30000")) << refused.err;
}

TEST(VelmoraHostileInput, RefusedBeforeAnyPixelIsRead) {
  ScratchFolder folder;
  WriteFixture(folder / "big.png", OIIO::ImageSpec(2000, 2000, 3, TypeDesc::UINT8),
               [](int, int, int) { return 0.5f; });
  RunResult run = Render(folder / "big.png", folder / "o.png", {"--max-memory", "64M"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "--max-memory")) << run.err;
  EXPECT_EQ(Render(folder / "big.png", folder / "o.png", {"--max-memory", "lots"}).status, 2);

  // A sequence holds three more worlds (the next frame read, the last one written): a 500 x 500
  // float frame needs about 25 MB alone and 38 MB in a sequence.
  for (const char* name : {"seq.0001.png", "seq.0002.png"}) {
    WriteFixture(folder / name, OIIO::ImageSpec(500, 500, 3, TypeDesc::UINT8),
                 [](int, int, int) { return 0.5f; });
  }
  EXPECT_EQ(Render(folder / "seq.0001.png", folder / "one.png", {"--max-memory", "30M"}).status, 0);
  run = Render(folder / "seq.####.png", folder / "out.####.png",
               {"--frames", "1-2", "--max-memory", "30M"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "--max-memory")) << run.err;

  // A TIFF header declaring 30000 x 30000 pixels, with 16 bytes of them.
  {
    std::ofstream tiff(folder / "huge.tif", std::ios::binary);
    auto u16 = [&](unsigned v) { tiff.put(char(v & 255)).put(char(v >> 8)); };
    auto u32 = [&](unsigned v) { u16(v & 0xFFFF), u16(v >> 16); };
    tiff.write("II*\0", 4);
    u32(24);
    for (int i = 0; i < 16; ++i) tiff.put(0);
    const unsigned entries[][4] = {{256, 4, 1, 30000}, {257, 4, 1, 30000}, {258, 3, 1, 8},
                                   {259, 3, 1, 1},     {262, 3, 1, 1},     {273, 4, 1, 8},
                                   {277, 3, 1, 1},     {278, 4, 1, 30000}, {279, 4, 1, 16}};
    u16(9);
    for (const auto& e : entries) u16(e[0]), u16(e[1]), u32(e[2]), u32(e[3]);
    u32(0);
  }
  run = Render(folder / "huge.tif", folder / "o.png");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "cannot hold")) << run.err;

  // Cut files fail instead of rendering with the missing part made up.
  WriteFixture(folder / "noise.jpg", OIIO::ImageSpec(128, 128, 3, TypeDesc::UINT8),
               [](int x, int y, int c) { return ((x * 37 + y * 91 + c * 53) % 255) / 255.0f; });
  WriteFixture(folder / "whole.dpx", OIIO::ImageSpec(64, 64, 3, TypeDesc::UINT16),
               [](int x, int, int) { return x / 64.0f; });
  for (const char* name : {"noise.jpg", "whole.dpx"}) {
    SCOPED_TRACE(name);
    const auto size = std::filesystem::file_size(folder / name);
    std::filesystem::copy_file(folder / name, folder / (std::string("cut_") + name));
    std::filesystem::resize_file(folder / (std::string("cut_") + name), size * 2 / 3);
    run = Render(folder / (std::string("cut_") + name), folder / "o.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(Contains(run.err, "()")) << run.err;  // a reason, never an empty one
    EXPECT_FALSE(std::filesystem::exists(folder / "o.png"));
  }

  // Nothing but a regular file is opened: these would keep a format probe reading forever.
  ASSERT_EQ(mkfifo((folder / "pipe.exr").c_str(), 0600), 0);
  for (const std::filesystem::path& odd :
       {std::filesystem::path("/dev/zero"), folder / "pipe.exr"}) {
    run = Render(odd, folder / "o.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "not a regular file")) << run.err;
  }
  if (geteuid() != 0) {  // root searches any folder
    std::filesystem::create_directory(folder / "locked");
    std::filesystem::copy_file(folder / "big.png", folder / "locked" / "in.png");
    chmod((folder / "locked").c_str(), 0);
    run = Render(folder / "locked" / "in.png", folder / "o.png");
    chmod((folder / "locked").c_str(), 0700);
    EXPECT_TRUE(Contains(run.err, "ermission denied")) << run.err;
  }
}

}  // namespace
}  // namespace velmora_test
