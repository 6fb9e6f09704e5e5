// The built velmora binary on small images made here: format round trips, alpha conventions,
// metadata, sequences, presets, and the failures a user can run into.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <set>
#include <thread>

#include "tests/cli/cli_runner.h"

namespace velmora_test {
namespace {

using OIIO::TypeDesc;

// A spec with the usual channel names; alpha last when there are four channels.
OIIO::ImageSpec Spec(int width, int height, int channels, TypeDesc type) {
  OIIO::ImageSpec spec(width, height, channels, type);
  return spec;
}

// Values that visit much of each depth's range; float goes above 1.0 as well.
float Pattern(int x, int y, int c, TypeDesc type, bool has_alpha) {
  if (has_alpha && c == 3) return 0.25f + 0.75f * static_cast<float>((x * 5 + y * 3) % 16) / 15;
  if (type == TypeDesc::UINT8) return static_cast<float>((x * 7 + y * 13 + c * 29) % 256) / 255;
  if (type == TypeDesc::UINT16) {
    return static_cast<float>((x * 997 + y * 4099 + c * 12345) % 65536) / 65535;
  }
  return static_cast<float>((x * 7 + y * 13 + c * 29) % 256) / 64;  // 0 .. ~4
}

float MaxDifference(const Pixels& a, const Pixels& b) {
  float worst = 0.0f;
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    worst = std::max(worst, std::abs(a.values[i] - b.values[i]));
  }
  return worst;
}

void ExpectOneLineError(const RunResult& run, const std::string& words, int status) {
  EXPECT_EQ(run.status, status) << run.err;
  EXPECT_EQ(run.err.rfind("velmora: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

TEST(VelmoraFormats, RadiusZeroPassesEachFormatThrough) {
  struct Case {
    const char* name;
    TypeDesc type;
    int channels;
    int bits;         // bits per sample stored, 0 for the type's own
    float tolerance;  // in the file's 0..1 scale
  } cases[] = {
      {"png8.png", TypeDesc::UINT8, 4, 0, 0.0f},
      {"png16.png", TypeDesc::UINT16, 3, 0, 1.5f / 65535},  // within one level
      {"jpeg.jpg", TypeDesc::UINT8, 3, 0, 0.0f},
      {"tiff8.tif", TypeDesc::UINT8, 4, 0, 0.0f},
      {"tiff16.tif", TypeDesc::UINT16, 4, 0, 1.5f / 65535},  // within one level
      {"tiff_float.tif", TypeDesc::FLOAT, 3, 0, 0.0f},
      {"exr_half.exr", TypeDesc::HALF, 4, 0, 0.0f},
      {"exr_float.exr", TypeDesc::FLOAT, 4, 0, 2e-6f},  // divided by alpha and multiplied again
      {"dpx10.dpx", TypeDesc::UINT16, 3, 10, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    OIIO::ImageSpec spec = Spec(37, 23, c.channels, c.type);
    if (c.bits) spec.attribute("oiio:BitsPerSample", c.bits);
    const auto input = folder / c.name;
    const auto output = folder / (std::string("out_") + c.name);
    WriteFixture(input, spec,
                 [&](int x, int y, int ch) { return Pattern(x, y, ch, c.type, c.channels == 4); });

    const RunResult run = RunVelmora({"render", input.string(), output.string(), "--radius", "0"});
    ASSERT_EQ(run.status, 0) << run.err;
    Pixels before = ReadPixels(input);
    const Pixels after = ReadPixels(output);
    EXPECT_EQ(after.spec.nchannels, c.channels);
    EXPECT_EQ(after.spec.format, before.spec.format);
    EXPECT_EQ(after.spec.get_int_attribute("oiio:BitsPerSample"),
              before.spec.get_int_attribute("oiio:BitsPerSample"));
    ASSERT_EQ(after.values.size(), before.values.size());
    if (std::string(c.name).ends_with(".jpg")) {
      // Saving JPEG loses detail every time: the pixels must be what saving the decoded
      // input again gives.
      const auto again = folder / "again.jpg";
      WriteFixture(again, before.spec, [&](int x, int y, int ch) { return before.at(x, y, ch); });
      before = ReadPixels(again);
    }
    EXPECT_LE(MaxDifference(before, after), c.tolerance);
  }
}

TEST(VelmoraFormats, AlphaIsStraightInTheHostAndAssociatedInOpenExr) {
  // Straight colour (0.8, 0.4, 0.2) at half coverage, as each format stores it.
  struct Case {
    const char* from;
    const char* to;
    float stored[4];    // in the input file
    float expected[4];  // in the output file
    float tolerance;
  } cases[] = {
      {"in.exr", "out.png", {0.4f, 0.2f, 0.1f, 0.5f}, {0.8f, 0.4f, 0.2f, 0.5f}, 1.0f / 255},
      {"in.png", "out.exr", {0.8f, 0.4f, 0.2f, 0.5f}, {0.4f, 0.2f, 0.1f, 0.5f}, 1.0f / 255},
      {"in.exr", "out.exr", {0.4f, 0.2f, 0.1f, 0.5f}, {0.4f, 0.2f, 0.1f, 0.5f}, 1e-6f},
      {"in.png", "out.tif", {0.8f, 0.4f, 0.2f, 0.5f}, {0.8f, 0.4f, 0.2f, 0.5f}, 1.0f / 255},
      {"in.dpx", "out.png", {0.8f, 0.4f, 0.2f, 0.5f}, {0.8f, 0.4f, 0.2f, 0.5f}, 1.0f / 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
    ScratchFolder folder;
    const bool exr = std::string(c.from).ends_with(".exr");
    WriteFixture(folder / c.from, Spec(4, 3, 4, exr ? TypeDesc::FLOAT : TypeDesc::UINT8),
                 [&](int, int, int ch) { return c.stored[ch]; });
    const RunResult run = RunVelmora(
        {"render", (folder / c.from).string(), (folder / c.to).string(), "--radius", "0"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Pixels after = ReadPixels(folder / c.to);
    ASSERT_EQ(after.spec.nchannels, 4);
    for (int ch = 0; ch < 4; ++ch) EXPECT_NEAR(after.at(1, 1, ch), c.expected[ch], c.tolerance);
  }
}

TEST(VelmoraFormats, CarriesMetadataAndDataWindow) {
  ScratchFolder folder;
  OIIO::ImageSpec exr = Spec(16, 8, 3, TypeDesc::HALF);
  exr.x = 4;
  exr.y = 2;
  exr.full_width = 32;
  exr.full_height = 16;
  exr.attribute("Copyright", "lighting");  // the header's owner
  exr.attribute("shot", "ab_0420");
  WriteFixture(folder / "in.exr", exr, [](int x, int, int) { return x / 16.0f; });
  OIIO::ImageSpec tiff = Spec(8, 8, 3, TypeDesc::UINT16);
  tiff.attribute("XResolution", 300.0f);
  tiff.attribute("YResolution", 300.0f);
  tiff.attribute("ResolutionUnit", "in");
  tiff.attribute("ImageDescription", "plate");
  WriteFixture(folder / "in.tif", tiff, [](int x, int, int) { return x / 8.0f; });

  for (const char* name : {"in.exr", "in.tif"}) {
    const auto output = folder / (std::string("out_") + name);
    const RunResult run = RunVelmora({"render", (folder / name).string(), output.string()});
    ASSERT_EQ(run.status, 0) << run.err;
  }
  const OIIO::ImageSpec exr_out = ReadPixels(folder / "out_in.exr").spec;
  EXPECT_EQ(exr_out.get_string_attribute("Copyright"), "lighting");
  EXPECT_EQ(exr_out.get_string_attribute("shot"), "ab_0420");
  // The glow may reach the whole display window: the data window grows to cover it.
  EXPECT_EQ(exr_out.x, 0);
  EXPECT_EQ(exr_out.y, 0);
  EXPECT_EQ(exr_out.width, 32);
  EXPECT_EQ(exr_out.full_width, 32);
  EXPECT_EQ(exr_out.full_height, 16);
  const OIIO::ImageSpec tiff_out = ReadPixels(folder / "out_in.tif").spec;
  EXPECT_FLOAT_EQ(tiff_out.get_float_attribute("XResolution"), 300.0f);
  EXPECT_EQ(tiff_out.get_string_attribute("ResolutionUnit"), "in");
  // TIFF drops the history: the description keeps its text and gains the command's line.
  EXPECT_EQ(std::string(tiff_out.get_string_attribute("ImageDescription"))
                .rfind("plate\nvelmora render", 0),
            0u);
}

TEST(VelmoraRender, DefaultControlsSpreadLightIntoTheDark) {
  ScratchFolder folder;
  WriteFixture(folder / "square.png", Spec(64, 64, 3, TypeDesc::UINT8), [](int x, int y, int) {
    return x >= 24 && x < 40 && y >= 24 && y < 40 ? 1.0f : 0.0f;
  });
  const RunResult run =
      RunVelmora({"render", (folder / "square.png").string(), (folder / "glow.png").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const Pixels glow = ReadPixels(folder / "glow.png");
  EXPECT_GT(glow.at(20, 32, 0), 0.0f);  // beside the square
  EXPECT_EQ(glow.at(32, 32, 0), 1.0f);  // the square itself stays white
  EXPECT_EQ(glow.spec.nchannels, 3);    // no alpha in, none out
}

TEST(VelmoraRender, DepthFlagSetsTheProcessingDepthAndUnmultiplyAddsAlpha) {
  ScratchFolder folder;
  WriteFixture(folder / "in.png", Spec(9, 5, 3, TypeDesc::UINT16),
               [](int x, int y, int c) { return Pattern(x, y, c, TypeDesc::UINT16, false); });
  RunResult run = RunVelmora({"render", (folder / "in.png").string(),
                              (folder / "eight.png").string(), "--radius", "0", "--depth", "8"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Pixels eight = ReadPixels(folder / "eight.png");
  EXPECT_EQ(eight.spec.format, TypeDesc::UINT16);  // the file keeps its type
  for (float v : eight.values) {
    const long level = std::lround(v * 65535);
    ASSERT_EQ(level % 257, 0) << "not an 8-bit level: " << level;
  }

  run = RunVelmora(
      {"render", (folder / "in.png").string(), (folder / "alpha.png").string(), "--unmultiply"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadPixels(folder / "alpha.png").spec.nchannels, 4);
}

TEST(VelmoraSequence, RendersTheRangeFrameByFrame) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder / "out");
  for (int frame = 1; frame <= 4; ++frame) {
    char name[32];
    std::snprintf(name, sizeof name, "in.%04d.png", frame);
    WriteFixture(folder / name, Spec(8, 6, 3, TypeDesc::UINT8),
                 [&](int x, int, int c) { return (frame * 40 + x * 3 + c) / 255.0f; });
  }
  const RunResult run =
      RunVelmora({"render", (folder / "in.####.png").string(),
                  (folder / "out" / "glow.%04d.png").string(), "--frames", "2-4", "--radius", "0"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.empty()) << "not a terminal: quiet, got " << run.err;

  std::set<std::string> written;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "out")) {
    written.insert(entry.path().filename().string());
  }
  EXPECT_EQ(written, (std::set<std::string>{"glow.0002.png", "glow.0003.png", "glow.0004.png"}));
  for (int frame = 2; frame <= 4; ++frame) {
    char in[32], out[32];
    std::snprintf(in, sizeof in, "in.%04d.png", frame);
    std::snprintf(out, sizeof out, "glow.%04d.png", frame);
    EXPECT_EQ(MaxDifference(ReadPixels(folder / in), ReadPixels(folder / "out" / out)), 0.0f)
        << "frame " << frame;
  }
}

TEST(VelmoraSequence, AFailedFrameIsNamedAndARerunRendersOnlyWhatIsMissing) {
  ScratchFolder folder;
  std::filesystem::create_directory(folder / "out");
  const auto input = [&](int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "in.%04d.png", frame);
    return folder / name;
  };
  const auto output = [&](int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "glow.%04d.png", frame);
    return folder / "out" / name;
  };
  const auto write_frame = [&](const std::filesystem::path& path, int shade) {
    WriteFixture(path, Spec(8, 6, 3, TypeDesc::UINT8),
                 [&](int x, int, int c) { return (shade * 40 + x * 3 + c) / 255.0f; });
  };
  for (int frame = 1; frame <= 4; ++frame) write_frame(input(frame), frame);
  std::ofstream(input(3), std::ios::binary) << std::string(200, 'x');
  const std::vector<std::string> render = {"render",
                                           (folder / "in.####.png").string(),
                                           (folder / "out" / "glow.####.png").string(),
                                           "--frames",
                                           "1-4",
                                           "--radius",
                                           "0"};

  std::vector<std::string> verbose = render;
  verbose.push_back("--verbose");
  const RunResult failed = RunVelmora(verbose);
  EXPECT_EQ(failed.status, 1);
  // Frames are read ahead and written behind the render, yet reported in frame order.
  std::vector<std::size_t> order;
  for (const std::string& line : {"wrote " + output(1).string(), "wrote " + output(2).string(),
                                  std::string("velmora: frame 3: "), "wrote " + output(4).string(),
                                  std::string("velmora: 1 of 4 frames failed: 3\n")}) {
    order.push_back(failed.err.find(line));
    EXPECT_NE(order.back(), std::string::npos) << line << " missing from:\n" << failed.err;
  }
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << failed.err;
  // The frames around the bad one are written whole; the bad one leaves nothing behind.
  std::set<std::string> written;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "out")) {
    written.insert(entry.path().filename().string());
  }
  EXPECT_EQ(written, (std::set<std::string>{"glow.0001.png", "glow.0002.png", "glow.0004.png"}));

  // The rerun after the input is mended: a frame already there is left as it is (a marker
  // stands in for it), and a killed run's temporary file is not mistaken for frame 3.
  write_frame(input(3), 3);
  write_frame(output(1), 6);
  const Pixels marker = ReadPixels(output(1));
  std::ofstream(folder / "out" / ".glow.0003.velmora-tmp-1.png", std::ios::binary) << "\x89PNG";
  std::vector<std::string> rerun = render;
  rerun.insert(rerun.end(), {"--skip-existing", "--verbose"});
  const RunResult resumed = RunVelmora(rerun);
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_TRUE(resumed.out.empty()) << resumed.out;
  EXPECT_EQ(std::count(resumed.err.begin(), resumed.err.end(), '\n'), 4) << resumed.err;
  EXPECT_NE(resumed.err.find("wrote " + output(3).string()), std::string::npos) << resumed.err;
  EXPECT_EQ(MaxDifference(ReadPixels(input(3)), ReadPixels(output(3))), 0.0f);
  EXPECT_EQ(MaxDifference(marker, ReadPixels(output(1))), 0.0f) << "frame 1 was rendered again";
}

TEST(VelmoraPreset, SuppliesControlsThatFlagsOverride) {
  struct Case {
    const char* file;
    const char* text;
    std::vector<std::string> flags;
    bool glows;
  } cases[] = {
      {"look.json", R"({"radius": 0})", {}, false},
      {"look.json", R"({"radius": 0})", {"--radius", "30"}, true},
      {"look.toml", "radius = 40\nintensity = 0.0\n", {}, false},
      {"look.toml", "radius = 40\nintensity = 0.0\n", {"--intensity", "1"}, true},
      {"look.toml", "repeat_edges = true\nradius = 0\n", {"--no-repeat-edges"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.text);
    ScratchFolder folder;
    WriteFixture(folder / "in.png", Spec(32, 32, 3, TypeDesc::UINT8), [](int x, int y, int) {
      return x > 12 && x < 20 && y > 12 && y < 20 ? 1.f : 0.f;
    });
    std::ofstream(folder / c.file) << c.text;
    std::vector<std::string> args = {"render", (folder / "in.png").string(),
                                     (folder / "out.png").string(), "--preset",
                                     (folder / c.file).string()};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    const RunResult run = RunVelmora(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const float change =
        MaxDifference(ReadPixels(folder / "in.png"), ReadPixels(folder / "out.png"));
    EXPECT_EQ(change > 0.0f, c.glows) << change;
  }
}

TEST(VelmoraErrors, BadInputsFailWithOneLineAndWriteNothing) {
  struct Case {
    const char* what;
    std::function<void(const ScratchFolder&)> setup;
    std::vector<std::string> args;  // "@" at the start of a word stands for the folder
    std::string words;
    int status;
    std::string shell = "";  // shell commands run first, e.g. "export VELMORA_THREADS=abc;"
  };
  const auto good_png = [](const ScratchFolder& folder) {
    WriteFixture(folder / "in.png", Spec(8, 8, 3, TypeDesc::UINT8),
                 [](int, int, int) { return 0.5f; });
  };
  const auto write_bytes = [](const char* name, std::string bytes) {
    return [=](const ScratchFolder& folder) {
      std::ofstream(folder / name, std::ios::binary) << bytes;
    };
  };
  const auto png_and_file = [&](const char* name, std::string text) {
    return [=](const ScratchFolder& folder) {
      good_png(folder);
      std::ofstream(folder / name) << text;
    };
  };
  const std::vector<Case> cases = {
      {"missing input", {}, {"render", "@/in.png", "@/out.png"}, "in.png: no such file", 1},
      {"garbage",
       write_bytes("in.png", std::string(200, 'x')),
       {"render", "@/in.png", "@/out.png"},
       "in.png: not a readable image",
       1},
      {"truncated",
       [](const ScratchFolder& folder) {
         WriteFixture(
             folder / "full.png", Spec(64, 64, 3, TypeDesc::UINT8),
             [](int x, int y, int c) { return ((x * 31 + y * 17 + c * 7) % 255) / 255.f; });
         std::filesystem::copy_file(folder / "full.png", folder / "in.png");
         std::filesystem::resize_file(folder / "in.png",
                                      std::filesystem::file_size(folder / "in.png") / 2);
         std::filesystem::remove(folder / "full.png");
       },
       {"render", "@/in.png", "@/out.png"},
       "in.png: truncated or corrupt",
       1},
      {"unknown input format",
       write_bytes("in.xyz", "hello"),
       {"render", "@/in.xyz", "@/out.png"},
       "in.xyz: unsupported image format",
       1},
      {"unknown output format",
       good_png,
       {"render", "@/in.png", "@/out.xyz"},
       "out.xyz: unsupported output format",
       1},
      {"too wide",
       [](const ScratchFolder& folder) {
         WriteFixture(folder / "in.png", Spec(30001, 1, 1, TypeDesc::UINT8),
                      [](int, int, int) { return 0.f; });
       },
       {"render", "@/in.png", "@/out.png"},
       "30001 x 1 pixels; the host takes at most 30000",
       1},
      {"radius out of range",
       good_png,
       {"render", "@/in.png", "@/out.png", "--radius", "501"},
       "--radius: 501 is outside the range 0 to 500",
       2},
      {"intensity not a number",
       good_png,
       {"render", "@/in.png", "@/out.png", "--intensity", "bright"},
       "--intensity: 'bright' is not a number (0 to 11)",
       2},
      {"unknown mode",
       good_png,
       {"render", "@/in.png", "@/out.png", "--mode", "glow"},
       "--mode: 'glow' is not one of screen, add",
       2},
      {"bad tint",
       good_png,
       {"render", "@/in.png", "@/out.png", "--tint", "#12"},
       "--tint: '#12' is not a colour",
       2},
      {"bad preset value",
       png_and_file("p.json", R"({"tint-mode": "harsh"})"),
       {"render", "@/in.png", "@/out.png", "--preset", "@/p.json"},
       "p.json: tint-mode: 'harsh' is not one of standard, soft, light-blend",
       2},
      {"unknown preset control",
       png_and_file("p.toml", "sparkle = 3\n"),
       {"render", "@/in.png", "@/out.png", "--preset", "@/p.toml"},
       "p.toml: unknown control 'sparkle'",
       2},
      {"depth", good_png, {"render", "@/in.png", "@/out.png", "--depth", "12"}, "--depth", 2},
      {"output is the input",
       good_png,
       {"render", "@/in.png", "@/./in.png"},
       "in.png: refusing to write over an input file",
       2},
      {"missing frame",
       [](const ScratchFolder& folder) {
         for (const char* name : {"s.0001.png", "s.0003.png"}) {
           WriteFixture(folder / name, Spec(4, 4, 3, TypeDesc::UINT8),
                        [](int, int, int) { return 0.f; });
         }
       },
       {"render", "@/s.####.png", "@/o.####.png", "--frames", "1-3"},
       "s.0002.png: no such file",
       1},
      {"controls checked with every frame already there",
       [](const ScratchFolder& folder) {
         for (const char* name : {"s.0001.png", "o.0001.png"}) {
           WriteFixture(folder / name, Spec(4, 4, 3, TypeDesc::UINT8),
                        [](int, int, int) { return 0.f; });
         }
       },
       {"render", "@/s.####.png", "@/o.####.png", "--frames", "1", "--skip-existing", "--radius",
        "501"},
       "--radius: 501 is outside the range",
       2},
      {"pattern without frames on disk",
       good_png,
       {"render", "@/in.####.png", "@/out.png"},
       "in.####.png: no frames of this sequence found",
       1},
      {"a newline in a file name stays on the line",
       {},
       {"render", "@/in\nvelmora: forged.png", "@/out.png"},
       "in\\nvelmora: forged.png': no such file",
       1},
      {"a device as output",
       good_png,
       {"render", "@/in.png", "/dev/null"},
       "/dev/null: is not a regular file",
       2},
      {"an output without extension",
       good_png,
       {"render", "@/in.png", "@/out"},
       "out: has no extension to tell the output format by",
       2},
      {"an empty frame offset",
       good_png,
       {"render", "@/in.####.png", "@/o.####.png", "--frame-offset", ""},
       "--frame-offset: an empty value is not a number",
       2},
      {"threads beyond the bound",
       good_png,
       {"render", "@/in.png", "@/out.png", "--threads", "200000"},
       "--threads",
       2},
      {"negative threads",
       good_png,
       {"render", "@/in.png", "@/out.png", "--threads", "-1"},
       "not in range 0 to 1024",
       2},
      {"threads from the environment not a count",
       good_png,
       {"render", "@/in.png", "@/out.png"},
       "VELMORA_THREADS: 'abc' is not a thread count from 0 to 1024",
       2,
       "export VELMORA_THREADS=abc;"},
      {"threads from the environment beyond int",
       good_png,
       {"render", "@/in.png", "@/out.png"},
       "VELMORA_THREADS: '99999999999' is not a thread count",
       2,
       "export VELMORA_THREADS=99999999999;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    if (c.setup) c.setup(folder);
    const std::vector<std::string> before = folder.Names();
    std::vector<std::string> args;
    for (const std::string& arg : c.args) {
      args.push_back(arg[0] == '@' ? folder.path().string() + arg.substr(1) : arg);
    }
    const RunResult run = RunVelmora(args, c.shell);
    ExpectOneLineError(run, c.words, c.status);
    EXPECT_EQ(folder.Names(), before) << "something was written";
  }
}

// Under AddressSanitizer a limit on address space stops the process before main.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST(VelmoraErrors, ThreadsTheSystemRefusesAreStoppedAndNamed) {
  ScratchFolder folder;
  WriteFixture(folder / "in.png", Spec(8, 8, 3, TypeDesc::UINT8),
               [](int, int, int) { return 0.5f; });
  // 1000 thread stacks of 8 MB do not fit in 4 GB of address space.
  const RunResult run = RunVelmora(
      {"render", (folder / "in.png").string(), (folder / "out.png").string(), "--threads", "1000"},
      "ulimit -s 8192; ulimit -v 4000000;");
  ExpectOneLineError(run, "cannot start 1000 worker threads (only ", 1);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"in.png"});
}
#endif

TEST(VelmoraSequence, APercentSignIsWrittenAsPrintfWritesIt) {
  ScratchFolder folder;
  WriteFixture(folder / "s.0001.png", Spec(4, 4, 3, TypeDesc::UINT8),
               [](int, int, int) { return 0.5f; });
  const RunResult run = RunVelmora({"render", (folder / "s.####.png").string(),
                                    (folder / "o.%%d.%04d.png").string(), "--radius", "0"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"o.%d.0001.png", "s.0001.png"}));
}

TEST(VelmoraInfo, ShowsTheEffectAsTheHostSeesIt) {
  const RunResult info = RunVelmora({"info"});
  ASSERT_EQ(info.status, 0) << info.err;
  for (const char* words :
       {"Velmora 1.0.0", "Tarnwick", "ADBE TarnwickVelmora", "Velmora, v1.0.0", "辉光半径",
        "0 to 500", "--radius", "screen, add", "屏幕|添加", "--tint-mode"}) {
    EXPECT_NE(info.out.find(words), std::string::npos) << words << "\n" << info.out;
  }
  const RunResult version = RunVelmora({"--version"});
  ASSERT_EQ(version.status, 0) << version.err;
  EXPECT_NE(version.out.find("velmora 1.0.0"), std::string::npos) << version.out;
  EXPECT_NE(version.out.find("Velmora 1.0.0"), std::string::npos) << version.out;
  const RunResult help = RunVelmora({"render", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--repeat-edges"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace velmora_test
