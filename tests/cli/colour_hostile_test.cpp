// Colour configs written to hurt: files they name that are devices, FIFOs, folders, huge, or
// someone else's text, and LUTs whose results are NaN or infinite. Every run is under a time
// limit (and, outside the sanitizer builds, 4 GB of data), so a read that never ends fails the
// test instead of stopping it.

#include <OpenImageIO/imagebuf.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>

#include "tests/cli/cli_runner.h"

namespace velmora_test {
namespace {

using OIIO::TypeDesc;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr const char* kLimits = "timeout -k 5 120 ";  // the sanitizers reserve terabytes
#else
constexpr const char* kLimits = "ulimit -d 4000000; timeout -k 5 120 ";
#endif

// Every place a config names a file: a colour space, a step of a group in an inactive space, a
// look, a view transform, a named transform. Each file is an identity LUT unless a test makes it
// something else.
constexpr const char* kConfig = R"(ocio_profile_version: 2
search_path: luts
strictparsing: true
roles:
  default: linear
  scene_linear: linear
file_rules:
  - !<Rule> {name: Default, colorspace: default}
displays:
  screen:
    - !<View> {name: Film, view_transform: film, display_colorspace: display, looks: grade}
active_displays: []
active_views: []
inactive_colorspaces: [grouped]
looks:
  - !<Look>
    name: grade
    process_space: linear
    transform: !<FileTransform> {src: look.cube, interpolation: linear}
view_transforms:
  - !<ViewTransform>
    name: film
    from_scene_reference: !<FileTransform> {src: view.cube, interpolation: linear}
display_colorspaces:
  - !<ColorSpace>
    name: display
named_transforms:
  - !<NamedTransform>
    name: named
    transform: !<FileTransform> {src: named.cube, interpolation: linear}
colorspaces:
  - !<ColorSpace>
    name: linear
  - !<ColorSpace>
    name: lut
    from_scene_reference: !<FileTransform> {src: space.cube, interpolation: linear}
  - !<ColorSpace>
    name: grouped
    from_scene_reference: !<GroupTransform>
      children:
        - !<MatrixTransform> {}
        - !<FileTransform> {src: group.cube, interpolation: linear}
)";

constexpr const char* kLutNames[] = {"space.cube", "group.cube", "look.cube", "view.cube",
                                     "named.cube"};

// A 1D LUT of two entries, the same for each channel.
std::string Lut(const std::string& first, const std::string& last) {
  return "LUT_1D_SIZE 2\n" + first + " " + first + " " + first + "\n" + last + " " + last + " " +
         last + "\n";
}

class ColourHostileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(folder / "luts");
    for (const char* name : kLutNames) std::ofstream(lut(name)) << Lut("0.0", "1.0");
    std::ofstream(folder / "test.ocio") << kConfig;
    WriteFixture(folder / "plate.exr", OIIO::ImageSpec(16, 8, 3, TypeDesc::FLOAT),
                 [](int x, int y, int c) { return 0.2f + 0.03f * x + 0.02f * y + 0.05f * c; });
  }
  std::filesystem::path lut(const std::string& name) const { return folder / "luts" / name; }

  RunResult Render(const std::string& in, const std::string& out,
                   const std::vector<std::string>& flags) {
    std::vector<std::string> args = {
        "render", (folder / in).string(),         (folder / out).string(), "-q", "--radius", "4",
        "--ocio", (folder / "test.ocio").string()};
    args.insert(args.end(), flags.begin(), flags.end());
    return RunVelmora(args, kLimits);
  }

  ScratchFolder folder;
};

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(ColourHostileTest, FilesAConfigNamesMustBeRegularAndBoundedBeforeAnyIsRead) {
  // The config as written renders: the check finds nothing wrong with ordinary LUTs.
  RunResult run = Render("plate.exr", "out.exr", {"--working-space", "lut"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::filesystem::remove(folder / "out.exr");

  const struct {
    const char* file;  // which of the config's files is made hostile
    const char* words;
    std::function<void(const std::filesystem::path&)> make;
  } cases[] = {
      {"space.cube", "a link to '/dev/zero', a character device",
       [](const auto& path) { std::filesystem::create_symlink("/dev/zero", path); }},
      {"space.cube", "a FIFO", [](const auto& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
      {"group.cube", "pipe', a FIFO",
       [&](const auto& path) {
         ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
         std::filesystem::create_symlink(folder / "pipe", path);
       }},
      {"look.cube", "257 MB, more than the 256 MB",
       [](const auto& path) {
         std::ofstream(path) << Lut("0.0", "1.0");
         std::filesystem::resize_file(path, (std::uintmax_t{256} << 20) + 1);  // sparse
       }},
      {"view.cube", "a folder", [](const auto& path) { std::filesystem::create_directory(path); }},
      {"named.cube", "a link to '/dev/zero'",
       [](const auto& path) { std::filesystem::create_symlink("/dev/zero", path); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::filesystem::path path = lut(c.file);
    std::filesystem::remove(path);
    c.make(path);
    // Refused whichever conversion the run makes, even one that never uses the file, and by
    // `velmora info`, which loads the config too.
    for (const char* working : {"lut", "linear"}) {
      run = Render("plate.exr", "out.exr", {"--working-space", working});
      EXPECT_EQ(run.status, 2);
      EXPECT_EQ(Lines(run.err), 1u) << run.err;
      EXPECT_EQ(run.err.rfind("velmora: " + path.string() + ": named by the colour config", 0), 0u)
          << run.err;
      EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
      EXPECT_FALSE(std::filesystem::exists(folder / "out.exr"));
    }
    const RunResult info = RunVelmora({"info", "--ocio", (folder / "test.ocio").string()}, kLimits);
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Colour config: " + path.string() + ": named by the colour config"),
              std::string::npos)
        << info.out;
    EXPECT_EQ(
        RunVelmora({"info", "--colorspaces", "--ocio", (folder / "test.ocio").string()}, kLimits)
            .status,
        2);
    std::filesystem::remove_all(path);
    std::ofstream(path) << Lut("0.0", "1.0");
  }
}

TEST_F(ColourHostileTest, AFileOpenColorIOCannotReadIsNamedNeverQuoted) {
  // A link to a file of someone else's: OpenColorIO's own reasons quote its first line.
  std::filesystem::remove(lut("space.cube"));
  std::ofstream(folder / "private.txt") << "SECRET-LINE root:x:0:0\nmore\n";
  std::filesystem::create_symlink(folder / "private.txt", lut("space.cube"));
  const RunResult run = Render("plate.exr", "out.exr", {"--output-colorspace", "lut"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "velmora: colour: cannot convert 'linear' to 'lut': '" +
                         lut("space.cube").string() + "' is no transform file OpenColorIO reads\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "out.exr"));
}

TEST_F(ColourHostileTest, NonFiniteResultsOfAConversionAreReadAsZeroWithOneWarning) {
  // OpenColorIO keeps a LUT's infinities as the largest floats: between them its interpolation
  // overflows to infinity and NaN. Half floats overflow long before that.
  std::ofstream(lut("space.cube")) << Lut("inf", "-inf");
  std::ofstream(lut("group.cube")) << Lut("nan", "inf");
  WriteFixture(folder / "plate.png", OIIO::ImageSpec(16, 8, 3, TypeDesc::UINT16),
               [](int x, int, int c) { return 0.2f + 0.03f * x + 0.05f * c; });
  OIIO::ImageSpec half(16, 8, 3, TypeDesc::HALF);
  WriteFixture(folder / "half.exr", half, [](int x, int, int) { return 0.2f + 0.03f * x; });
  const struct {
    const char* in;
    const char* out;
    std::vector<std::string> flags;
  } cases[] = {
      {"plate.exr", "out.exr", {"--output-colorspace", "lut"}},
      {"half.exr", "out.exr", {"--output-colorspace", "lut"}},
      {"half.exr", "out.exr", {"--output-colorspace", "grouped"}},
      {"plate.exr", "out.exr", {"--working-space", "lut"}},
      {"plate.exr", "out.exr", {"--working-space", "lut", "--depth", "16"}},
      {"plate.png", "out.png", {"--colorspace", "linear", "--working-space", "lut"}},
      {"plate.png", "out.tif", {"--colorspace", "linear", "--output-colorspace", "lut"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.in) + " " + c.flags[c.flags.size() - 2] + " " + c.flags.back());
    const RunResult run = Render(c.in, c.out, c.flags);
    ASSERT_EQ(run.status, 0) << run.err;
    std::size_t warnings = 0;
    for (std::size_t at = run.err.find("NaN"); at != std::string::npos;
         at = run.err.find("NaN", at + 1)) {
      ++warnings;
    }
    EXPECT_EQ(warnings, 1u) << run.err;
    EXPECT_NE(run.err.find("velmora: warning: colour: converting "), std::string::npos) << run.err;
    const Pixels out = ReadPixels(folder / c.out);
    EXPECT_TRUE(std::all_of(out.values.begin(), out.values.end(),
                            [](float v) { return std::isfinite(v); }));
  }
}

}  // namespace
}  // namespace velmora_test
