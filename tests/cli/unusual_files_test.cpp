// velmora on valid files of unusual kinds: tiled and mip-mapped, several parts of different
// sizes, animated, palette, grey, one pixel, odd channel names. Each renders (or is refused in
// one line), never ends the process by a signal, leaves no temporary file, and keeps what the
// output format can hold of what was read.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <functional>
#include <span>

#include "cli/image/jpeg_quality.h"
#include "tests/cli/cli_runner.h"

namespace velmora_test {
namespace {

using OIIO::TypeDesc;

float Ramp(int x, int y, int c) {
  return static_cast<float>((x * 7 + y * 13 + c * 5) % 17) / 16.0f;
}

// A path as one word of a shell command (the scratch folders hold no quote).
std::string ShellWord(const std::filesystem::path& path) {
  std::string word(1, '\'');
  word.append(path.string());
  word.push_back('\'');
  return word;
}

// Makes a fixture with OpenImageIO's own command-line tool, as a user's files are made.
void Oiiotool(const std::string& args) {
  ASSERT_EQ(std::system(("oiiotool " + args).c_str()), 0) << args;
}

OIIO::ImageSpec Spec(int width, int height, std::vector<std::string> names, TypeDesc type) {
  OIIO::ImageSpec spec(width, height, static_cast<int>(names.size()), type);
  spec.channelnames = names;
  spec.alpha_channel = -1;
  for (std::size_t c = 0; c < names.size(); ++c) {
    if (names[c] == "A") spec.alpha_channel = static_cast<int>(c);
  }
  return spec;
}

TEST(VelmoraUnusualFiles, EachRendersWithoutASignalOrALeftover) {
  struct Case {
    const char* what;
    const char* input;
    const char* output;
    std::string make;        // oiiotool's arguments, "@" for the input's path
    const char* words = "";  // in stderr
  };
  const std::string rgb = "--pattern fill:top=0.2,0.4,0.9:bottom=1,0.5,0 32x16 3 ";
  const std::string two_parts =
      "--pattern fill:top=0.2,0.4,0.9,1:bottom=1,0.5,0,0.5 24x16 4 -d half "
      "--pattern constant:color=0.5 7x5 1 -d float --chnames Z --fullsize 24x16+0+0 "
      "--siappend -o @";
  const std::string two_frames =
      "--pattern checker:width=4:height=4 16x16 4 -d uint8 --pattern constant:color=1,0,0,1 "
      "16x16 4 -d uint8 --siappend -o @";
  const std::vector<Case> cases = {
      {"tiled EXR", "t.exr", "o.exr", rgb + "-d half --tile 16 16 -o @"},
      {"mip-mapped EXR", "m.exr", "o.exr", rgb + "-d half -otex @", "MIP"},
      {"mip-mapped EXR to TIFF", "m.exr", "o.tif", rgb + "-d half -otex @", "MIP"},
      {"mip-mapped TIFF", "m.tif", "o.tif", rgb + "-d uint8 -otex @", "MIP"},
      {"parts of different sizes", "p.exr", "o.exr", two_parts},
      {"parts of different sizes to TIFF", "p.exr", "o.tif", two_parts, "only the glowed part"},
      {"animated GIF", "a.gif", "o.gif", two_frames},
      {"animated GIF to PNG", "a.gif", "o.png", two_frames, "only the glowed part"},
      {"multi-page TIFF", "a.tif", "o.tif", two_frames},
      {"grey", "g.png", "o.png", rgb + "-d uint16 --ch R --chnames Y -o @"},
      {"grey and alpha", "g.png", "o.png", rgb + "-d uint8 --ch R,G --chnames Y,A -o @"},
      {"grey TIFF to JPEG", "g.tif", "o.jpg", rgb + "-d uint8 --ch R --chnames Y -o @"},
      // DPX has no layout for grey with alpha: its writer would stop the process.
      {"grey and alpha to DPX", "g.png", "o.dpx", rgb + "-d uint8 --ch R,G --chnames Y,A -o @"},
      {"one pixel", "one.exr", "o.exr", "--pattern constant:color=2,1,0.5,1 1x1 4 -d float -o @"},
      {"one pixel PNG", "one.png", "o.png", "--pattern constant:color=1,0.5,0 1x1 3 -d uint8 -o @"},
      {"odd channel names", "n.exr", "o.exr",
       rgb + "-d half --ch R,G,B,R,G --chnames R,G,B,\"weird name\",beauty.x.y -o @"},
      {"palette PNG", "pal.png", "o.png", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    if (c.make.empty()) {
      // A palette PNG from its bytes: 2x1, a palette of two colours, 8 bits an index.
      static const unsigned char kBytes[] = {
          0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
          0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x03, 0x00, 0x00, 0x00, 0xc3,
          0xfc, 0x8f, 0xb8, 0x00, 0x00, 0x00, 0x06, 0x50, 0x4c, 0x54, 0x45, 0xff, 0x00, 0x00, 0x00,
          0x00, 0xff, 0x6c, 0xa1, 0xfd, 0x8e, 0x00, 0x00, 0x00, 0x0b, 0x49, 0x44, 0x41, 0x54, 0x78,
          0x9c, 0x63, 0x60, 0x60, 0x04, 0x00, 0x00, 0x04, 0x00, 0x02, 0xbf, 0x7a, 0x3f, 0x4a, 0x00,
          0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
      std::ofstream(folder / c.input, std::ios::binary)
          .write(reinterpret_cast<const char*>(kBytes), sizeof kBytes);
    } else {
      std::string args = c.make;
      args.replace(args.find('@'), 1, ShellWord(folder / c.input));
      Oiiotool(args);
    }
    const RunResult run = RunVelmora(
        {"render", (folder / c.input).string(), (folder / c.output).string(), "--radius", "6"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
    for (const std::string& name : folder.Names()) {
      EXPECT_EQ(name.find(".velmora-"), std::string::npos) << "left behind: " << name;
    }
    auto in = OIIO::ImageInput::open((folder / c.output).string());
    EXPECT_TRUE(in) << OIIO::geterror();
  }
}

TEST(VelmoraUnusualFiles, KeepsTilesGreyProvenanceAndJpegQuality) {
  ScratchFolder folder;
  Oiiotool("--pattern checker 40x24 3 -d half --tile 16 16 -o " + ShellWord(folder / "t.exr"));
  WriteFixture(folder / "g.tif", Spec(24, 16, {"Y"}, TypeDesc::UINT16), Ramp);
  WriteFixture(folder / "ga.png", Spec(24, 16, {"Y", "A"}, TypeDesc::UINT16), Ramp);
  {
    OIIO::ImageSpec spec(24, 16, 3, TypeDesc::UINT8);
    spec.attribute("CompressionQuality", 62);
    WriteFixture(folder / "q.jpg", spec, Ramp);
  }
  const auto render = [&](const std::string& in, const std::string& out,
                          std::vector<std::string> flags = {}) {
    std::vector<std::string> args = {"render", (folder / in).string(), (folder / out).string(),
                                     "--radius", "4"};
    args.insert(args.end(), flags.begin(), flags.end());
    const RunResult run = RunVelmora(args);
    EXPECT_EQ(run.status, 0) << run.err;
    return run;
  };

  render("t.exr", "t_out.exr");
  EXPECT_EQ(ReadPixels(folder / "t_out.exr").spec.tile_width, 16);

  render("g.tif", "g_out.tif");
  EXPECT_EQ(ReadPixels(folder / "g_out.tif").spec.nchannels, 1);
  render("ga.png", "ga_out.png");
  EXPECT_EQ(ReadPixels(folder / "ga_out.png").spec.channelnames,
            (std::vector<std::string>{"Y", "A"}));
  const RunResult tinted = render("g.tif", "g_tint.tif", {"--tint", "#FF8800"});
  EXPECT_EQ(ReadPixels(folder / "g_tint.tif").spec.nchannels, 3);
  EXPECT_NE(tinted.err.find("written as RGB"), std::string::npos) << tinted.err;

  // Straight alpha at 16 bits comes back exactly when nothing is glowed.
  render("ga.png", "ga_same.png", {"--intensity", "0"});
  EXPECT_EQ(ReadPixels(folder / "ga_same.png").values, ReadPixels(folder / "ga.png").values);

  EXPECT_NE(ReadPixels(folder / "g_out.tif")
                .spec.get_string_attribute("ImageDescription")
                .find("velmora render"),
            std::string::npos);
  render("g.tif", "g_out.dpx");
  EXPECT_NE(ReadPixels(folder / "g_out.dpx")
                .spec.get_string_attribute("DocumentName")
                .find("velmora render"),
            std::string::npos);

  const auto quality = [&](const std::string& name) {
    const std::string bytes = ReadBytes(folder / name);
    return cli::JpegQuality(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  };
  EXPECT_EQ(quality("q.jpg"), 62);
  render("q.jpg", "q_out.jpg");
  EXPECT_EQ(quality("q_out.jpg"), 62) << "the input's quality is kept";
  render("q.jpg", "q_90.jpg", {"--quality", "90"});
  EXPECT_EQ(quality("q_90.jpg"), 90);
}

}  // namespace
}  // namespace velmora_test
