// velmora on image files made to hurt it: windows at the integer limits, non-finite samples,
// deep images, files cut short, a process out of file descriptors. Each is one clear line and
// exit status 1, or a finite picture; never a signal.

#include <OpenImageIO/deepdata.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <limits>

#include "cli/image/image_io.h"
#include "cli/report/cli_error.h"
#include "tests/cli/cli_runner.h"

namespace velmora_test {
namespace {

using OIIO::TypeDesc;

bool Contains(const std::string& text, const std::string& words) {
  return text.find(words) != std::string::npos;
}

RunResult Render(const std::filesystem::path& in, const std::filesystem::path& out,
                 std::vector<std::string> flags = {}) {
  std::vector<std::string> args = {"render", in.string(), out.string()};
  args.insert(args.end(), flags.begin(), flags.end());
  return RunVelmora(args);
}

// A refusal: exit status 1 and one line naming the file and saying the words.
void ExpectRefused(const RunResult& run, const std::filesystem::path& file,
                   const std::vector<std::string>& words) {
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.err.rfind("velmora: " + file.string() + ": ", 0), 0u) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  for (const std::string& word : words) EXPECT_TRUE(Contains(run.err, word)) << run.err;
}

TEST(VelmoraHostileFiles, WindowsPastTheCoordinateLimitAreRefusedInOneLine) {
  ScratchFolder folder;
  const auto grey = [](int, int, int) { return 0.5f; };
  struct Case {
    const char* name;
    TypeDesc type;
    int x, y;            // the data window's corner
    int full_x, full_y;  // the display window's
    std::vector<std::string> words;
  } cases[] = {
      // PNG keeps the offset in its oFFs chunk, DPX in its orientation header.
      {"offset.png", TypeDesc::UINT8, 2147483600, 0, 0, 0, {"data window (2147483600, 0)-("}},
      {"negative.png",
       TypeDesc::UINT8,
       -2147483600,
       -2147483600,
       0,
       0,
       {"data window (-2147483600, -2147483600)-("}},
      {"offset.dpx", TypeDesc::UINT16, 2147483640, 0, 0, 0, {"data window (2147483640, 0)-("}},
      // As far as OpenEXR's headers go: both windows there.
      {"edge.exr",
       TypeDesc::HALF,
       1073741815,
       0,
       1073741815,
       0,
       {"data window (1073741815, 0)-(1073741823, 8)"}},
      {"display.exr", TypeDesc::HALF, 0, 0, -1073741000, 0, {"display window (-1073741000, 0)-("}},
      // Within reach, but the two windows together make a frame no host world holds.
      {"apart.png",
       TypeDesc::UINT8,
       999999990,
       0,
       0,
       0,
       {"data window (999999990, 0)-(999999998, 8) and display window (0, 0)-(8, 8)",
        "999999998 x 8", "30000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OIIO::ImageSpec spec(8, 8, 3, c.type);
    spec.x = c.x;
    spec.y = c.y;
    spec.full_x = c.full_x;
    spec.full_y = c.full_y;
    WriteFixture(folder / c.name, spec, grey);
    const OIIO::ImageSpec stored = ReadPixels(folder / c.name).spec;
    ASSERT_EQ(stored.x, c.x);  // the file holds the window we meant
    std::vector<std::string> words = c.words;
    if (c.name != std::string("apart.png"))
      words.push_back("outside the -1000000000 to 1000000000");
    ExpectRefused(Render(folder / c.name, folder / "out.exr"), folder / c.name, words);
    EXPECT_FALSE(std::filesystem::exists(folder / "out.exr"));
  }

  // Just inside the limit a frame renders, and its windows come back where they were.
  OIIO::ImageSpec far(8, 8, 4, TypeDesc::HALF);
  far.x = far.full_x = 999999992;
  far.y = far.full_y = -1000000000;
  WriteFixture(folder / "far.exr", far, grey);
  const RunResult run = Render(folder / "far.exr", folder / "far_out.exr", {"--radius", "4"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Pixels out = ReadPixels(folder / "far_out.exr");
  EXPECT_EQ(out.spec.x, 999999992);
  EXPECT_EQ(out.spec.y, -1000000000);
  EXPECT_EQ(out.spec.full_x, 999999992);
}

// Windows off the origin, in either direction and apart from each other, through every output
// format. A format holding windows gets the region rendered where it lies; one holding none
// gets the display window from its own origin. Either way each pixel is the one the layer had
// there (radius 0), and a window the reader took never turns into a signal or a refusal.
TEST(VelmoraHostileFiles, EveryOutputFormatTakesEveryWindowTheReaderAccepts) {
  ScratchFolder folder;
  struct Case {
    const char* name;
    cli::FileRect data, display;
  } cases[] = {
      {"above", {0, -100, 4, 3}, {0, -100, 4, 3}},
      {"below", {0, 5, 4, 3}, {0, 5, 4, 3}},
      {"left", {-3, 0, 4, 3}, {-3, 0, 4, 3}},
      {"right", {6, 0, 4, 3}, {6, 0, 4, 3}},
      {"both", {2, -7, 4, 3}, {2, -7, 4, 3}},
      {"inside the display", {1, -2, 3, 2}, {0, -3, 5, 4}},
      {"past the display", {-2, 4, 6, 5}, {0, 5, 3, 3}},
      {"apart from the display", {10, 12, 2, 2}, {-4, -2, 4, 3}},
  };
  // Rows far apart in value, columns nearer: a row or column out of place shows.
  const auto value = [](const cli::FileRect& data, int x, int y) {
    return 0.1f + 0.3f * static_cast<float>((y - data.y) % 3) +
           0.05f * static_cast<float>((x - data.x) % 4);
  };
  for (const Case& c : cases) {
    OIIO::ImageSpec spec(c.data.width, c.data.height, 4, TypeDesc::HALF);
    spec.x = c.data.x;
    spec.y = c.data.y;
    spec.full_x = c.display.x;
    spec.full_y = c.display.y;
    spec.full_width = c.display.width;
    spec.full_height = c.display.height;
    spec.alpha_channel = 3;
    const auto in = folder / (std::string(c.name) + ".exr");
    WriteFixture(in, spec, [&](int x, int y, int channel) {
      return channel == 3 ? 1.0f : value(c.data, c.data.x + x, c.data.y + y);
    });
    for (const char* extension : {".png", ".jpg", ".tif", ".exr", ".dpx"}) {
      SCOPED_TRACE(std::string(c.name) + " to " + extension);
      const auto out = folder / (std::string("out") + extension);
      const RunResult run = Render(in, out, {"--radius", "0"});
      ASSERT_EQ(run.status, 0) << run.err;
      const Pixels written = ReadPixels(out);
      const OIIO::ImageSpec& got = written.spec;
      // Where the file's pixel (0, 0) lies in the layer.
      int left = c.display.x, top = c.display.y;
      const cli::FileRect both = cli::Union(c.data, c.display);
      const auto corners = [](int x, int y, int width, int height) {
        return std::vector<int>{x, y, width, height};
      };
      if (extension == std::string(".exr")) {
        EXPECT_EQ(corners(got.x, got.y, got.width, got.height),
                  corners(both.x, both.y, both.width, both.height));
        EXPECT_EQ(corners(got.full_x, got.full_y, got.full_width, got.full_height),
                  corners(c.display.x, c.display.y, c.display.width, c.display.height));
        left = got.x;
        top = got.y;
      } else if (extension == std::string(".dpx")) {
        // DPX holds its display window at the origin and no data left of or above it.
        const int x0 = std::max(both.x, c.display.x), y0 = std::max(both.y, c.display.y);
        EXPECT_EQ(corners(got.x, got.y, got.width, got.height),
                  corners(x0 - c.display.x, y0 - c.display.y, both.x + both.width - x0,
                          both.y + both.height - y0));
        EXPECT_EQ(corners(got.full_x, got.full_y, got.full_width, got.full_height),
                  corners(0, 0, c.display.width, c.display.height));
        left = x0;
        top = y0;
      } else {
        EXPECT_EQ(corners(got.x, got.y, got.width, got.height),
                  corners(0, 0, c.display.width, c.display.height));
      }
      const float tolerance = extension == std::string(".jpg") ? 0.04f : 0.004f;
      for (int y = 0; y < got.height; ++y) {
        for (int x = 0; x < got.width; ++x) {
          const int layer_x = left + x, layer_y = top + y;
          const bool inside = layer_x >= c.data.x && layer_x < c.data.x + c.data.width &&
                              layer_y >= c.data.y && layer_y < c.data.y + c.data.height;
          const float expected = inside ? value(c.data, layer_x, layer_y) : 0.0f;
          EXPECT_NEAR(written.at(x, y, 0), expected, tolerance) << "at " << x << ", " << y;
          EXPECT_NEAR(written.at(x, y, 1), expected, tolerance) << "at " << x << ", " << y;
        }
      }
    }
  }
}

// What comes out of a float file holding NaN, infinities and colour over a vanishing alpha:
// with radius 0 the picture itself, with a glow at every depth nothing that is not finite.
TEST(VelmoraHostileFiles, NonFiniteSamplesEnterAsZeroAndNothingNonFiniteComesOut) {
  ScratchFolder folder;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float in[4];   // associated R, G, B, A as the EXR stores them
    float out[4];  // as written back at radius 0
  } cases[] = {
      {{nan, 0.5f, 0.5f, 1.0f}, {0.0f, 0.5f, 0.5f, 1.0f}},
      {{inf, 0.5f, -inf, 1.0f}, {0.0f, 0.5f, 0.0f, 1.0f}},
      {{0.5f, 0.5f, 0.5f, nan}, {0.0f, 0.0f, 0.0f, 0.0f}},  // no alpha: nothing to show
      {{0.5f, 0.5f, 0.5f, inf}, {0.0f, 0.0f, 0.0f, 0.0f}},
      {{1e38f, 1e38f, 1e38f, 1e-40f}, {1e-2f, 1e-2f, 1e-2f, 1e-40f}},  // kept, not divided
      {{2.0f, 0.0f, 0.0f, 1e-30f}, {2.0f, 0.0f, 0.0f, 1e-30f}},        // divided: 2e30 is finite
  };
  const int count = static_cast<int>(std::size(cases));
  OIIO::ImageSpec spec(count, 1, 4, TypeDesc::FLOAT);
  spec.alpha_channel = 3;
  WriteFixture(folder / "odd.exr", spec, [&](int x, int, int c) { return cases[x].in[c]; });

  RunResult run = Render(folder / "odd.exr", folder / "same.exr", {"--radius", "0"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "velmora: warning: " + (folder / "odd.exr").string() +
                         ": NaN and infinite samples are read as 0\n");
  const Pixels same = ReadPixels(folder / "same.exr");
  for (int x = 0; x < count; ++x) {
    for (int c = 0; c < 4; ++c) {
      const float expected = cases[x].out[c];
      EXPECT_NEAR(same.at(x, 0, c), expected, std::abs(expected) * 1e-3f) << x << "," << c;
    }
  }

  // The glow spreads every sample over the others; a frame of them all, at every depth.
  OIIO::ImageSpec wide(48, 8, 4, TypeDesc::FLOAT);
  wide.alpha_channel = 3;
  WriteFixture(folder / "wide.exr", wide,
               [&](int x, int, int c) { return cases[(x / 8) % count].in[c]; });
  for (const char* depth : {"8", "16", "32"}) {
    SCOPED_TRACE(depth);
    run = Render(folder / "wide.exr", folder / "glow.exr",
                 {"--radius", "20", "--intensity", "11", "--depth", depth, "--mode", "add"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string warning = "NaN and infinite samples are read as 0";
    EXPECT_EQ(run.err.find(warning), run.err.rfind(warning)) << run.err;  // warned once
    const Pixels glow = ReadPixels(folder / "glow.exr");
    for (float v : glow.values) ASSERT_TRUE(std::isfinite(v));
  }
}

TEST(VelmoraHostileFiles, DeepCutAndUnopenableFilesSayTheRealReason) {
  ScratchFolder folder;
  // A deep EXR: one sample a pixel is enough to make it deep.
  {
    OIIO::ImageSpec spec(4, 4, 5, TypeDesc::FLOAT);
    spec.channelnames = {"R", "G", "B", "A", "Z"};
    spec.alpha_channel = 3;
    spec.z_channel = 4;
    spec.deep = true;
    OIIO::DeepData deep(spec);
    for (int pixel = 0; pixel < 16; ++pixel) {
      deep.set_samples(pixel, 1);
      for (int c = 0; c < 5; ++c) deep.set_deep_value(pixel, c, 0, 0.5f);
    }
    auto file = OIIO::ImageOutput::create("exr");
    const std::string name = (folder / "deep.exr").string();
    ASSERT_TRUE(file->open(name, spec) && file->write_deep_image(deep) && file->close());
  }
  ExpectRefused(Render(folder / "deep.exr", folder / "out.exr"), folder / "deep.exr",
                {"deep image", "not supported"});

  // A DPX cut short: its reader stops without a word; the header says how long it should be.
  WriteFixture(folder / "whole.dpx", OIIO::ImageSpec(64, 64, 3, TypeDesc::UINT16),
               [](int x, int, int) { return x / 64.0f; });
  std::filesystem::copy_file(folder / "whole.dpx", folder / "cut.dpx");
  std::filesystem::resize_file(folder / "cut.dpx", 5000);
  ExpectRefused(Render(folder / "cut.dpx", folder / "out.exr"), folder / "cut.dpx",
                {"truncated image (5000 of the " +
                 std::to_string(std::filesystem::file_size(folder / "whole.dpx")) +
                 " bytes its header declares)"});

  // A DPX header whose user data section is larger than the file: the reader would trust it.
  {
    std::string bytes = ReadBytes(folder / "whole.dpx");
    for (int i = 32; i < 36; ++i) bytes[static_cast<std::size_t>(i)] = '\x93';
    std::ofstream(folder / "sections.dpx", std::ios::binary) << bytes;
  }
  ExpectRefused(Render(folder / "sections.dpx", folder / "out.exr"), folder / "sections.dpx",
                {"corrupt DPX header"});

  // An OpenEXR header attribute whose size is far beyond the file: the reader would take it.
  WriteFixture(folder / "fine.exr", OIIO::ImageSpec(4, 4, 3, TypeDesc::HALF),
               [](int, int, int) { return 0.5f; });
  {
    std::string bytes = ReadBytes(folder / "fine.exr");
    const std::string first = std::string("channels") + '\0' + "chlist" + '\0';
    const std::size_t at = bytes.find(first);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at + first.size(), 4, "\xff\xff\xff\x7f");
    std::ofstream(folder / "sizes.exr", std::ios::binary) << bytes;
  }
  ExpectRefused(Render(folder / "sizes.exr", folder / "out.exr"), folder / "sizes.exr",
                {"corrupt OpenEXR header"});

  // A tiled OpenEXR whose tiles are far larger than its image: the reader would make room for
  // a whole tile (gigabytes) when it opens the file.
  {
    OIIO::ImageSpec tiled(4, 4, 3, TypeDesc::HALF);
    tiled.tile_width = tiled.tile_height = 4;
    WriteFixture(folder / "tiled.exr", tiled, [](int, int, int) { return 0.5f; });
    std::string bytes = ReadBytes(folder / "tiled.exr");
    const std::string tiles = std::string("tiles") + '\0' + "tiledesc" + '\0';
    const std::size_t at = bytes.find(tiles);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at + tiles.size() + 4, 8, std::string("\x2e\x40\0\0\0\x40\0\0", 8));
    std::ofstream(folder / "huge_tiles.exr", std::ios::binary) << bytes;
  }
  ExpectRefused(Render(folder / "huge_tiles.exr", folder / "out.exr"), folder / "huge_tiles.exr",
                {"corrupt OpenEXR header (tiles of 269189120 pixels for a data window of 16)"});
  // The same with a size field that a value of fixed size does not match: OpenEXR reads the
  // value's own size and goes on from there, and so must the check.
  {
    std::string bytes = ReadBytes(folder / "huge_tiles.exr");
    const std::string compression = std::string("compression") + '\0' + "compression" + '\0';
    const std::size_t at = bytes.find(compression);
    ASSERT_NE(at, std::string::npos);
    bytes[at + compression.size()] = '\x25';
    std::ofstream(folder / "sized_tiles.exr", std::ios::binary) << bytes;
  }
  ExpectRefused(Render(folder / "sized_tiles.exr", folder / "out.exr"), folder / "sized_tiles.exr",
                {"corrupt OpenEXR header (tiles of 269189120 pixels"});

  // An OpenEXR part whose data window is as wide as the coordinates reach, or one within
  // reach whose chunks take more than the memory allowed: the reader would make room for its
  // chunks when it opens the file.
  const auto widened = [&](const std::string& file, const char* x_max) {
    std::string bytes = ReadBytes(folder / "fine.exr");
    const std::string window = std::string("dataWindow") + '\0' + "box2i" + '\0';
    const std::size_t at = bytes.find(window);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at + window.size() + 4 + 8, 4, std::string(x_max, 4));
    std::ofstream(folder / file, std::ios::binary) << bytes;
  };
  widened("wide.exr", "\xff\xff\xff\x3f");
  ExpectRefused(Render(folder / "wide.exr", folder / "out.exr"), folder / "wide.exr",
                {"truncated or corrupt image (", "bytes cannot hold chunks of"});
  widened("budget.exr", "\x2f\x75\0\0");  // 30000 pixels wide
  ExpectRefused(Render(folder / "budget.exr", folder / "out.exr", {"--max-memory", "4M"}),
                folder / "budget.exr", {"need more memory to read", "than the 4 MB allowed"});

  // GIFs whose logical screen overflows the reader's canvas size (giflib takes any version
  // after "GIF"), or is far larger than a file of 14 bytes can describe: the reader makes room
  // for the canvas as it opens the file.
  const std::pair<std::string, std::string> screens[] = {
      {"GIF89a\x67\x65\x48\x69",
       "GIF screen of 25959 x 26952 pixels: larger than its reader takes"},
      {"GIFrrrrrrr", "GIF screen of 29298 x 29298 pixels: larger than its reader takes"},
      {"GIF89a\xb4\x50\x44\x53",
       "truncated or corrupt image (14 bytes cannot hold a GIF screen of 20660 x 21316 pixels)"}};
  for (const auto& [header, message] : screens) {
    std::ofstream(folder / "screen.gif", std::ios::binary) << header + std::string("\0\0\0;", 4);
    ExpectRefused(Render(folder / "screen.gif", folder / "out.png"), folder / "screen.gif",
                  {message});
  }

#if !defined(__SANITIZE_ADDRESS__)
  // (Not under the sanitizers: their own checks need a descriptor, and fail without one.)
  // Out of file descriptors, a reader calls the file not one of its format; the reason is
  // the system's. Every descriptor under a lowered limit is taken, then the file is read.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit lowered = saved;
  lowered.rlim_cur = 256;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
  std::vector<int> taken;
  for (int fd; (fd = dup(STDIN_FILENO)) >= 0;) taken.push_back(fd);
  std::string message;
  try {
    hostsim::WorldStore store;
    cli::ReadImage(folder / "fine.exr", cli::ReadOptions{}, store);
  } catch (const cli::CliError& error) {
    message = error.what();
  }
  for (int fd : taken) close(fd);
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(message, (folder / "fine.exr").string() + ": cannot open: Too many open files");
#endif
}

}  // namespace
}  // namespace velmora_test
