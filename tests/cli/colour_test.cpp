// velmora's colour management end to end, through a small OpenColorIO config written here: an
// sRGB space, a linear one, a log one with a known curve, and roles.

#include <OpenImageIO/color.h>
#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "tests/cli/cli_runner.h"

namespace velmora_test {
namespace {

using OIIO::TypeDesc;

// log = log2(linear + 1/256) / 16 + 0.5: 0 at black, 0.5 at 1.0, a stop every 1/16.
constexpr const char* kConfig = R"(ocio_profile_version: 2
search_path: ""
strictparsing: true
luma: [0.2126, 0.7152, 0.0722]
roles:
  default: raw
  data: raw
  scene_linear: linear
  compositing_log: log
  color_picking: sRGB
file_rules:
  - !<Rule> {name: Default, colorspace: default}
displays:
  sRGB:
    - !<View> {name: Display, colorspace: sRGB}
active_displays: []
active_views: []
colorspaces:
  - !<ColorSpace>
    name: linear
    family: Scene
    encoding: scene-linear
  - !<ColorSpace>
    name: sRGB
    family: Display
    encoding: sdr-video
    from_scene_reference: !<ExponentWithLinearTransform> {gamma: 2.4, offset: 0.055, direction: inverse}
  - !<ColorSpace>
    name: log
    family: Log
    encoding: log
    from_scene_reference: !<LogAffineTransform> {base: 2, log_side_slope: 0.0625, log_side_offset: 0.5, lin_side_slope: 1, lin_side_offset: 0.00390625}
  - !<ColorSpace>
    name: raw
    family: Data
    isdata: true
)";

float LogCurve(float linear) {
  return std::log2(linear + 1.0f / 256.0f) / 16.0f + 0.5f;
}

class ColourTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(config_path()) << kConfig;
    ASSERT_FALSE(OIIO::ColorConfig(config_path().string()).has_error());
  }
  std::filesystem::path config_path() const { return folder / "test.ocio"; }

  // velmora render in out, with the test's config unless flags name another.
  RunResult Render(const std::string& in, const std::string& out, std::vector<std::string> flags) {
    std::vector<std::string> args = {
        "render", (folder / in).string(), (folder / out).string(), "-q", "--radius", "6"};
    if (std::find(flags.begin(), flags.end(), "--ocio") == flags.end()) {
      args.insert(args.end(), {"--ocio", config_path().string()});
    }
    args.insert(args.end(), flags.begin(), flags.end());
    return RunVelmora(args);
  }

  ScratchFolder folder;
};

// A sunset of sorts: a gradient with a bright square the glow spreads from.
float Scene(int x, int y, int c) {
  if (x >= 20 && x < 26 && y >= 12 && y < 18) return c == 2 ? 0.8f : 1.0f;
  return (x * 5 + y * 3 + c * 40) % 256 / 255.0f * 0.6f;
}

float MaxDifference(const Pixels& a, const Pixels& b) {
  float worst = 0.0f;
  for (std::size_t i = 0; i < a.values.size(); ++i) {
    worst = std::max(worst, std::abs(a.values[i] - b.values[i]));
  }
  return worst;
}

TEST_F(ColourTest, GlowInAWorkingSpaceIsConvertGlowConvertBack) {
  WriteFixture(folder / "photo.png", OIIO::ImageSpec(48, 32, 3, TypeDesc::UINT8), Scene);
  // What a compositor does by hand: the photo to linear float, glowed, back to sRGB.
  OIIO::ColorConfig config(config_path().string());
  OIIO::ImageBuf photo((folder / "photo.png").string());
  ASSERT_TRUE(photo.read(0, 0, true, TypeDesc::FLOAT));  // converted in float, not in 8 bits
  OIIO::ImageBuf linear =
      OIIO::ImageBufAlgo::colorconvert(photo, "sRGB", "linear", true, "", "", &config);
  ASSERT_TRUE(linear.write((folder / "linear.exr").string(), TypeDesc::FLOAT)) << linear.geterror();
  RunResult run = Render("linear.exr", "glowed.exr", {});
  ASSERT_EQ(run.status, 0) << run.err;
  OIIO::ImageBuf back = OIIO::ImageBufAlgo::colorconvert(
      OIIO::ImageBuf((folder / "glowed.exr").string()), "linear", "sRGB", true, "", "", &config);
  ASSERT_TRUE(back.write((folder / "expected.png").string(), TypeDesc::UINT8));
  const Pixels expected = ReadPixels(folder / "expected.png");

  // The working space by name, by role, and from a preset the command line overrides.
  std::ofstream(folder / "look.json") << R"({"working_space": "log", "radius": 6})";
  const std::vector<std::string> ways[] = {
      {"--working-space", "linear"},
      {"--working-space", "scene_linear"},
      {"--preset", (folder / "look.json").string(), "--working-space", "linear"}};
  for (const auto& flags : ways) {
    SCOPED_TRACE(flags[1]);
    run = Render("photo.png", "out.png", flags);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const Pixels out = ReadPixels(folder / "out.png");
    ASSERT_EQ(out.values.size(), expected.values.size());
    EXPECT_LE(MaxDifference(out, expected), 1.0f / 255 + 1e-6f);
    EXPECT_EQ(out.spec.get_string_attribute("oiio:ColorSpace"), "sRGB");
  }
  // Linear light spreads differently from sRGB code values: the space is not ignored.
  ASSERT_EQ(Render("photo.png", "plain.png", {}).status, 0);
  EXPECT_GT(MaxDifference(ReadPixels(folder / "plain.png"), expected), 4.0f / 255);
  // The preset's own working space, when the command line names none.
  ASSERT_EQ(Render("photo.png", "log.png", {"--preset", (folder / "look.json").string()}).status,
            0);
  EXPECT_GT(MaxDifference(ReadPixels(folder / "log.png"), expected), 1.0f / 255);
}

TEST_F(ColourTest, ZeroIntensityRoundTripIsTheIdentity) {
  OIIO::ImageSpec rgba(24, 16, 4, TypeDesc::UINT8);
  rgba.alpha_channel = 3;
  const auto straight = [](int x, int y, int c) {
    return c == 3 ? (x * 11 % 256) / 255.0f : Scene(x, y, c);
  };
  WriteFixture(folder / "photo.png", OIIO::ImageSpec(48, 32, 3, TypeDesc::UINT8), Scene);
  WriteFixture(folder / "deep.png", OIIO::ImageSpec(48, 32, 3, TypeDesc::UINT16), Scene);
  WriteFixture(folder / "matte.png", rgba, straight);
  const struct {
    const char* file;
    const char* working;
    float levels;  // the file's full scale
  } cases[] = {{"photo.png", "linear", 255},
               {"photo.png", "log", 255},
               {"deep.png", "linear", 65535},
               {"matte.png", "linear", 255}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " in " + c.working);
    const RunResult run =
        Render(c.file, "out.png", {"--working-space", c.working, "--intensity", "0"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Pixels in = ReadPixels(folder / c.file);
    const Pixels out = ReadPixels(folder / "out.png");
    ASSERT_EQ(out.spec.nchannels, in.spec.nchannels);
    ASSERT_EQ(out.spec.format, in.spec.format);
    // Within half a level: the very level stored.
    EXPECT_LE(MaxDifference(in, out), 0.5f / c.levels);
  }
}

TEST_F(ColourTest, OutputSpaceFollowsTheConfigsCurve) {
  const float levels[] = {0.0f, 0.18f, 1.0f, 4.0f};
  WriteFixture(folder / "plate.exr", OIIO::ImageSpec(4, 1, 3, TypeDesc::FLOAT),
               [&](int x, int, int) { return levels[x]; });
  const RunResult run = Render("plate.exr", "log.exr",
                               {"--colorspace", "scene_linear", "--output-colorspace",
                                "compositing_log", "--intensity", "0"});
  ASSERT_EQ(run.status, 0) << run.err;
  // OpenEXR holds no colour-space name: a file of log values is said to be one.
  EXPECT_NE(run.err.find("log.exr: OpenEXR keeps no colour-space name"), std::string::npos)
      << run.err;
  const Pixels out = ReadPixels(folder / "log.exr");
  for (int x = 0; x < 4; ++x) {
    SCOPED_TRACE(levels[x]);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(out.at(x, 0, c), LogCurve(levels[x]), 1e-4f);
  }
}

TEST_F(ColourTest, OtherChannelsAndPartsKeepTheirBits) {
  OIIO::ImageSpec beauty(16, 16, 6, TypeDesc::HALF);
  beauty.channelnames = {"R", "G", "B", "A", "N.x", "Z"};
  beauty.alpha_channel = 3;
  beauty.attribute("name", "beauty");
  OIIO::ImageSpec depth(16, 16, 1, TypeDesc::FLOAT);
  depth.channelnames = {"Z"};
  depth.attribute("name", "depth");
  {
    auto file = OIIO::ImageOutput::create("exr");
    std::vector<float> pixels(16 * 16 * 6), z(16 * 16);
    for (int i = 0; i < 16 * 16; ++i) {
      for (int c = 0; c < 3; ++c) pixels[i * 6 + c] = Scene(i % 16, i / 16, c);
      pixels[i * 6 + 3] = 1.0f;
      pixels[i * 6 + 4] = -0.75f + i / 512.0f;  // a normal: negative, must not be converted
      pixels[i * 6 + 5] = 1000.0f + i;
      z[i] = 3.0e7f + 7.0f * i;
    }
    const OIIO::ImageSpec specs[] = {beauty, depth};
    const std::string name = (folder / "aovs.exr").string();
    ASSERT_TRUE(file->open(name, 2, specs)) << file->geterror();
    ASSERT_TRUE(file->write_image(TypeDesc::FLOAT, pixels.data()));
    ASSERT_TRUE(file->open(name, depth, OIIO::ImageOutput::AppendSubimage));
    ASSERT_TRUE(file->write_image(TypeDesc::FLOAT, z.data()));
    ASSERT_TRUE(file->close());
  }
  const RunResult run =
      Render("aovs.exr", "out.exr", {"--working-space", "log", "--output-colorspace", "sRGB"});
  ASSERT_EQ(run.status, 0) << run.err;

  // Each part's channels as stored, read back bit for bit.
  const auto read = [](const std::filesystem::path& path, int part) {
    auto file = OIIO::ImageInput::open(path.string());
    EXPECT_TRUE(file && file->seek_subimage(part, 0));
    std::pair<OIIO::ImageSpec, std::vector<std::byte>> image{file->spec(), {}};
    image.second.resize(image.first.image_bytes(true));
    EXPECT_TRUE(file->read_image(part, 0, 0, image.first.nchannels, TypeDesc::UNKNOWN,
                                 image.second.data()));
    return image;
  };
  const auto [in_spec, in_bytes] = read(folder / "aovs.exr", 0);
  const auto [out_spec, out_bytes] = read(folder / "out.exr", 0);
  for (const char* name : {"N.x", "Z"}) {
    SCOPED_TRACE(name);
    const int from = in_spec.channelindex(name);
    const int to = out_spec.channelindex(name);
    ASSERT_GE(to, 0);
    const std::size_t size = in_spec.channelformat(from).size();
    ASSERT_EQ(out_spec.channelformat(to).size(), size);
    for (std::size_t pixel = 0; pixel < 16 * 16; ++pixel) {
      ASSERT_EQ(std::memcmp(in_bytes.data() + pixel * in_spec.pixel_bytes(true) +
                                in_spec.pixel_bytes(0, from, true),
                            out_bytes.data() + pixel * out_spec.pixel_bytes(true) +
                                out_spec.pixel_bytes(0, to, true),
                            size),
                0)
          << "pixel " << pixel;
    }
  }
  EXPECT_EQ(read(folder / "out.exr", 1).second, read(folder / "aovs.exr", 1).second);
}

TEST_F(ColourTest, UnknownNamesAreRefusedInOneLineBeforeRendering) {
  WriteFixture(folder / "photo.png", OIIO::ImageSpec(8, 8, 3, TypeDesc::UINT8), Scene);
  std::ofstream(folder / "look.toml") << "output_colorspace = \"Log\"\ncolorspace = \"srbg\"\n";
  const struct {
    std::vector<std::string> flags;
    std::string words;
  } cases[] = {
      {{"--working-space", "lienar"}, "--working-space: no colour space or role 'lienar'"},
      {{"--working-space", "lienar"}, "nearest: linear"},
      {{"--colorspace", "rec709"}, "--colorspace: no colour space or role 'rec709'"},
      {{"--output-colorspace", "acescg"}, "--output-colorspace:"},
      {{"--preset", (folder / "look.toml").string()}, "look.toml: colorspace: no colour space"},
      {{"--preset", (folder / "look.toml").string()}, "nearest: sRGB"},
      {{"--working-space", "linear", "--ocio", (folder / "none.ocio").string()},
       "--ocio: '" + (folder / "none.ocio").string() + "' is no colour configuration file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.words);
    const RunResult run = Render("photo.png", "out.png", c.flags);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "out.png"));
  }
}

TEST_F(ColourTest, GammaOverAWorkingSpaceIsWarnedAboutOnce) {
  WriteFixture(folder / "plate.exr", OIIO::ImageSpec(8, 8, 3, TypeDesc::HALF),
               [](int, int, int) { return 0.5f; });
  const RunResult run = Render("plate.exr", "out.exr", {"--working-space", "linear", "--gamma"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_NE(run.err.find("decoded twice"), std::string::npos) << run.err;
}

TEST_F(ColourTest, InfoNamesTheConfigAndListsItsSpacesAndRoles) {
  const RunResult listed = RunVelmora({"info", "--colorspaces", "--ocio", config_path().string()});
  ASSERT_EQ(listed.status, 0) << listed.err;
  for (const char* words : {"test.ocio (from --ocio)", "\n  log ", "\n  sRGB ",
                            "compositing_log  log\n", "scene_linear     linear\n"}) {
    EXPECT_NE(listed.out.find(words), std::string::npos) << words << "\n" << listed.out;
  }
  // $OCIO when no --ocio; OpenImageIO's own set without either.
  const RunResult from_env = RunVelmora({"info"}, "export OCIO='" + config_path().string() + "';");
  ASSERT_EQ(from_env.status, 0) << from_env.err;
  EXPECT_NE(from_env.out.find("Colour config: " + config_path().string() +
                              " (from $OCIO), 4 colour spaces"),
            std::string::npos)
      << from_env.out;
  const RunResult built_in = RunVelmora({"info", "--colorspaces"}, "unset OCIO;");
  ASSERT_EQ(built_in.status, 0) << built_in.err;
  EXPECT_NE(built_in.out.find("built-in"), std::string::npos);
  EXPECT_NE(built_in.out.find("\n  sRGB"), std::string::npos);
}

// A config of the kind studios write: spaces reached through a LUT file that is missing, one
// of them under a name OpenImageIO also knows, and linear spaces whose names do not say so.
constexpr const char* kStudioConfig = R"(ocio_profile_version: 2
search_path: luts
strictparsing: true
roles:
  default: Plate
  scene_linear: Plate
  data: Matte
file_rules:
  - !<Rule> {name: Default, colorspace: default}
displays:
  Monitor:
    - !<View> {name: Raw, colorspace: Plate}
active_displays: []
active_views: []
colorspaces:
  - !<ColorSpace>
    name: Plate
  - !<ColorSpace>
    name: ACEScg
    encoding: scene-linear
    from_scene_reference: !<MatrixTransform> {matrix: [0.9, 0.1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1]}
  - !<ColorSpace>
    name: Wide
    family: Utility/Linear
  - !<ColorSpace>
    name: Video
    encoding: sdr-video
    from_scene_reference: !<ExponentTransform> {value: [2.2, 2.2, 2.2, 1], direction: inverse}
  - !<ColorSpace>
    name: Matte
    isdata: true
  - !<ColorSpace>
    name: sRGB
    from_scene_reference: !<FileTransform> {src: missing.cube, interpolation: linear}
  - !<ColorSpace>
    name: Studio sRGB
    from_scene_reference: !<FileTransform> {src: missing.cube, interpolation: linear}
)";

TEST_F(ColourTest, AConversionThroughAMissingFileFailsWhateverTheSpaceIsCalled) {
  std::ofstream(config_path()) << kStudioConfig;
  WriteFixture(folder / "photo.png", OIIO::ImageSpec(8, 8, 3, TypeDesc::UINT8), Scene);
  WriteFixture(folder / "plate.exr", OIIO::ImageSpec(8, 8, 3, TypeDesc::HALF), Scene);
  // "sRGB" is a name OpenImageIO has a curve of its own for; the config's LUT is what counts.
  const struct {
    std::string in, out;
    std::vector<std::string> flags;
  } cases[] = {
      {"photo.png", "out.png", {"--working-space", "Plate"}},
      {"photo.png", "out.png", {"--colorspace", "sRGB", "--working-space", "Plate"}},
      {"photo.png", "out.png", {"--colorspace", "Studio sRGB", "--working-space", "Plate"}},
      {"plate.exr", "out.png", {"--working-space", "Plate", "--output-colorspace", "sRGB"}},
      {"plate.exr", "out.exr", {"--colorspace", "Plate", "--output-colorspace", "Studio sRGB"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags[1] + " " + c.flags.back());
    const RunResult run = Render(c.in, c.out, c.flags);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find("velmora: colour: cannot convert"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("'missing.cube' is not in its search path"), std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder / c.out));
  }
}

TEST_F(ColourTest, LinearIsWhatTheConfigSaysNotWhatANameSuggests) {
  std::ofstream(config_path()) << kStudioConfig;
  WriteFixture(folder / "plate.exr", OIIO::ImageSpec(8, 8, 3, TypeDesc::HALF), Scene);
  const struct {
    std::string space;
    std::string why;  // empty: not linear
    std::string listed;
  } cases[] = {
      {"ACEScg", "encoding scene-linear", "linear (encoding scene-linear)"},
      {"Plate", "role scene_linear", "linear (role scene_linear)"},
      {"Wide", "family Utility/Linear", "linear (family Utility/Linear)"},
      {"Video", "", "encoding sdr-video"},
      {"Matte", "", "data"},
  };
  const RunResult listed = RunVelmora({"info", "--colorspaces", "--ocio", config_path().string()});
  ASSERT_EQ(listed.status, 0) << listed.err;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.space);
    const std::size_t line = listed.out.find("\n  " + c.space + " ");
    ASSERT_NE(line, std::string::npos) << listed.out;
    const std::string row = listed.out.substr(line + 1, listed.out.find('\n', line + 1) - line);
    EXPECT_NE(row.find(c.listed + "\n"), std::string::npos) << row;
    // Kept as it is, an EXR written in linear light or data draws no word; one in a curve does.
    RunResult run =
        Render("plate.exr", "out.exr",
               {"--colorspace", c.space, "--working-space", c.space, "--intensity", "0"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("OpenEXR keeps no colour-space name") != std::string::npos,
              c.why.empty() && c.listed != "data")
        << run.err;
    // Linear light in 8 bits bands, and --gamma would decode it twice; a curve is --gamma's own.
    run = Render("plate.exr", "out.exr",
                 {"--colorspace", c.space, "--working-space", c.space, "--depth", "8", "--gamma"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("is linear light (" + c.why + "): at --depth 8") != std::string::npos,
              !c.why.empty())
        << run.err;
    EXPECT_EQ(run.err.find("decoded twice") != std::string::npos, !c.why.empty()) << run.err;
  }
}

// The chunk names of a PNG, in order.
std::vector<std::string> PngChunks(const std::filesystem::path& path) {
  const std::string bytes = ReadBytes(path);
  std::vector<std::string> chunks;
  for (std::size_t at = 8; at + 8 <= bytes.size();) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const std::size_t length =
        (std::size_t{byte(0)} << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
    chunks.push_back(bytes.substr(at + 4, 4));
    at += 12 + length;
  }
  return chunks;
}

// A PNG says what its pixels are: an sRGB chunk for a space that carries sRGB's curve, whatever
// the config calls it; gamma 1.0 for linear light; neither for another curve.
TEST_F(ColourTest, APngIsTaggedWithWhatItsPixelsAre) {
  std::string config = kConfig;
  config += R"(  - !<ColorSpace>
    name: Studio Monitor
    encoding: sdr-video
    from_scene_reference: !<ExponentWithLinearTransform> {gamma: 2.4, offset: 0.055, direction: inverse}
)";
  std::ofstream(config_path()) << config;
  WriteFixture(folder / "photo.png", OIIO::ImageSpec(8, 8, 3, TypeDesc::UINT8), Scene);
  const struct {
    std::string space;
    bool srgb, gamma;
  } cases[] = {{"sRGB", true, true},
               {"Studio Monitor", true, true},
               {"linear", false, true},
               {"log", false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.space);
    const RunResult run = Render("photo.png", "out.png",
                                 {"--working-space", "linear", "--output-colorspace", c.space});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> chunks = PngChunks(folder / "out.png");
    EXPECT_EQ(std::count(chunks.begin(), chunks.end(), "sRGB"), c.srgb ? 1 : 0);
    EXPECT_EQ(std::count(chunks.begin(), chunks.end(), "gAMA"), c.gamma ? 1 : 0);
    if (c.space == "linear") {
      EXPECT_EQ(ReadPixels(folder / "out.png").spec.get_float_attribute("oiio:Gamma"), 1.0f);
    }
  }
}

// A source's ICC profile describes its own values: it goes with them to an output in the same
// space, and never labels values converted to another.
TEST_F(ColourTest, TheSourcesProfileStaysOnlyWithItsOwnSpace) {
  OIIO::ImageSpec spec(8, 8, 3, TypeDesc::UINT16);
  const std::vector<unsigned char> profile(200, 0x5a);
  spec.attribute("ICCProfile", TypeDesc(TypeDesc::UINT8, profile.size()), profile.data());
  WriteFixture(folder / "photo.tif", spec, Scene);
  const struct {
    const char* output_space;
    bool profile;
  } cases[] = {{"sRGB", true}, {"log", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output_space);
    const RunResult run = Render("photo.tif", "out.tif",
                                 {"--colorspace", "sRGB", "--working-space", "linear",
                                  "--output-colorspace", c.output_space});
    ASSERT_EQ(run.status, 0) << run.err;
    const OIIO::ParamValue* found =
        ReadPixels(folder / "out.tif").spec.find_attribute("ICCProfile");
    EXPECT_EQ(found != nullptr, c.profile);
  }
}

// --display, --view and --look against OpenColorIO's own processors (through OpenImageIO's
// calls to it), at zero intensity, where the glow leaves the picture as it was.
TEST_F(ColourTest, DisplaysViewsAndLooksAgreeWithOpenColorIO) {
  std::string config = kConfig;
  const std::string views = "    - !<View> {name: Display, colorspace: sRGB}\n";
  config.replace(config.find(views), views.size(),
                 views +
                     "    - !<View> {name: Film, colorspace: log, looks: warm}\n"
                     "looks:\n"
                     "  - !<Look>\n"
                     "    name: warm\n"
                     "    process_space: linear\n"
                     "    transform: !<CDLTransform> {slope: [1.2, 1.0, 0.8]}\n");
  std::ofstream(config_path()) << config;
  WriteFixture(folder / "photo.png", OIIO::ImageSpec(24, 16, 3, TypeDesc::UINT8), Scene);
  OIIO::ColorConfig ocio(config_path().string());
  ASSERT_FALSE(ocio.has_error()) << ocio.geterror();
  OIIO::ImageBuf photo((folder / "photo.png").string());
  ASSERT_TRUE(photo.read(0, 0, true, TypeDesc::FLOAT));
  namespace IBA = OIIO::ImageBufAlgo;
  const OIIO::ImageBuf linear = IBA::colorconvert(photo, "sRGB", "linear", true, "", "", &ocio);
  const OIIO::ImageBuf warm =
      IBA::ociolook(linear, "warm", "linear", "linear", true, false, "", "", &ocio);
  const struct {
    std::vector<std::string> flags;
    OIIO::ImageBuf expected;
  } cases[] = {
      {{"--display", "sRGB", "--view", "film"},
       IBA::ociodisplay(photo, "sRGB", "Film", "sRGB", "", true, "", "", &ocio)},
      {{"--working-space", "linear", "--look", "warm", "--output-colorspace", "sRGB"},
       IBA::colorconvert(warm, "linear", "sRGB", true, "", "", &ocio)},
      {{"--working-space", "linear", "--look", "+warm", "--display", "sRGB"},
       IBA::ociodisplay(warm, "sRGB", "Display", "linear", "", true, "", "", &ocio)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags[1] + " " + c.flags[3]);
    // In 8 bits as the PNG holds it: values the look lifts past 1.0 clip in both.
    ASSERT_TRUE(c.expected.write((folder / "expected.png").string(), TypeDesc::UINT8));
    std::vector<std::string> flags = c.flags;
    flags.insert(flags.end(), {"--intensity", "0"});
    const RunResult run = Render("photo.png", "out.png", flags);
    ASSERT_EQ(run.status, 0) << run.err;
    const Pixels out = ReadPixels(folder / "out.png");
    const Pixels expected = ReadPixels(folder / "expected.png");
    ASSERT_EQ(out.values.size(), expected.values.size());
    EXPECT_LE(MaxDifference(out, expected), 1.0f / 255 + 1e-6f);
  }
  // Names the config does not have, and a view beside an output space.
  const struct {
    std::vector<std::string> flags;
    std::string words;
  } refused[] = {
      {{"--view", "Flim"}, "--view: no view of display 'sRGB' 'Flim'"},
      {{"--view", "Flim"}, "nearest: Film"},
      {{"--display", "Rec709"}, "--display: no display 'Rec709'"},
      {{"--look", "wram"}, "--look: no look 'wram'"},
      {{"--look", "wram"}, "nearest: warm"},
      {{"--view", "Film", "--output-colorspace", "log"}, "instead of --output-colorspace"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.words);
    std::filesystem::remove(folder / "out.png");
    const RunResult run = Render("photo.png", "out.png", c.flags);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "out.png"));
  }
  const RunResult listed = RunVelmora({"info", "--colorspaces", "--ocio", config_path().string()});
  EXPECT_NE(listed.out.find("  sRGB: Display, Film\n"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("  warm  processed in linear\n"), std::string::npos) << listed.out;
}

}  // namespace
}  // namespace velmora_test
