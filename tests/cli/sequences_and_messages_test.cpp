// velmora on sequences as compositors name and list them, and the one-line refusals of input
// made to break it: huge ranges, absurd padding, numbers beyond range, pasted-in files.

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "tests/cli/cli_runner.h"

namespace velmora_test {
namespace {

// Frames in.0001.png .. in.0005.png, each a flat grey that tells its frame.
void WriteFrames(const ScratchFolder& folder) {
  for (int frame = 1; frame <= 5; ++frame) {
    char name[32];
    std::snprintf(name, sizeof name, "in.%04d.png", frame);
    WriteFixture(folder / name, OIIO::ImageSpec(4, 4, 3, OIIO::TypeDesc::UINT8),
                 [&](int, int, int) { return frame * 40 / 255.0f; });
  }
}

int FrameShown(const std::filesystem::path& path) {
  return static_cast<int>(std::lround(ReadPixels(path).at(1, 1, 0) * 255 / 40));
}

// "@" at the start of an argument stands for the folder.
RunResult RunIn(const ScratchFolder& folder, const std::vector<std::string>& args) {
  std::vector<std::string> words = {"render"};
  for (const std::string& arg : args) {
    words.push_back(!arg.empty() && arg[0] == '@' ? folder.path().string() + arg.substr(1) : arg);
  }
  return RunVelmora(words);
}

TEST(VelmoraSequences, ListsStepsOffsetsAndFramesFoundOnDisk) {
  const std::string wide = std::string(39, '0');
  struct Case {
    std::vector<std::string> args;
    std::map<std::string, int> written;  // output name -> the input frame it shows
  } cases[] = {
      {{"@/in.@@@@.png", "@/out/o.####.png"},
       {{"o.0001.png", 1},
        {"o.0002.png", 2},
        {"o.0003.png", 3},
        {"o.0004.png", 4},
        {"o.0005.png", 5}}},
      {{"@/in.####.png", "@/out/o.%04d.png", "--frames", "1-5x2"},
       {{"o.0001.png", 1}, {"o.0003.png", 3}, {"o.0005.png", 5}}},
      {{"@/in.%04d.png", "@/out/o.#.png", "--frames", "4,1-2"},
       {{"o.1.png", 1}, {"o.2.png", 2}, {"o.4.png", 4}}},
      {{"@/in.####.png", "@/out/o.####.png", "--frames", "2-3", "--frame-offset", "1000"},
       {{"o.1002.png", 2}, {"o.1003.png", 3}}},
      {{"@/in.####.png", "@/out/o.%040d.png", "--frames", "1-3"},
       {{"o." + wide + "1.png", 1}, {"o." + wide + "2.png", 2}, {"o." + wide + "3.png", 3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1] + (c.args.size() > 3 ? " " + c.args[3] : ""));
    ScratchFolder folder;
    WriteFrames(folder);
    std::filesystem::create_directory(folder / "out");
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--radius", "0"});  // each output shows its input as it is
    const RunResult run = RunIn(folder, args);
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, int> written;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "out")) {
      written[entry.path().filename().string()] = FrameShown(entry.path());
    }
    EXPECT_EQ(written, c.written);
  }
}

TEST(VelmoraSequences, RefusalsAreOneLineAndWriteNothing) {
  struct Case {
    std::vector<std::string> args;
    std::string words;
    int status;
  } cases[] = {
      {{"@/in.####.png", "@/o.####.png", "--frames", "1,2-3,1"}, "frame 1 is listed twice", 2},
      // Long ranges are walked, not listed: the first missing frame is found at once.
      {{"@/in.####.png", "@/o.####.png", "--frames", "1-999999999"},
       "in.0006.png: no such file",
       1},
      {{"@/in.####.png", "@/o.####.png", "--frames", "-999999999-999999999"},
       "in.-999999999.png: no such file",
       1},
      {{"@/in.####.png", "@/o.%99999999999d.png", "--frames", "1"}, "is too wide", 2},
      {{"@/" + std::string(100000, '#'), "@/o.png", "--frames", "1"}, "is too wide", 2},
      {{"@/in.0001.png", "@/o.png", "--preset", "@/p.json"},
       "p.json: 'radius': 1e309 is outside the range of numbers",
       2},
      {{"@/in.0001.png", "@/o.png", "--preset", "@/folder.toml"}, "folder.toml: is a folder", 2},
      {{"@/in.0001.png", "@/o.png", "--preset", "@/long.toml"},
       "long.toml: mode: 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...' is not one of screen, add",
       2},
      {{"@/in.0001.png", "@/o.png", "--radius", "99999999999999999999"},
       "--radius: 99999999999999999999 is outside the range 0 to 500",
       2},
      {{"@/in.0001.png", "@/o.png", "--intensity", "1e999"},
       "--intensity: 1e999 is outside the range 0 to 11",
       2},
      {{"@/in.0001.png", "@/o.png", "--depth", ""}, "--depth: '' is not one of 8, 16, 32", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words);
    ScratchFolder folder;
    WriteFrames(folder);
    std::ofstream(folder / "p.json") << R"({"radius": 1e309})";
    std::ofstream(folder / "long.toml") << "mode = \"" << std::string(50000, 'x') << "\"\n";
    std::filesystem::create_directory(folder / "folder.toml");
    const std::vector<std::string> before = folder.Names();
    const RunResult run = RunIn(folder, c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err.substr(0, 500);
    EXPECT_LT(run.err.size(), 400u) << "a long value is echoed whole";
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err.substr(0, 500);
    EXPECT_EQ(folder.Names(), before) << "something was written";
  }
}

TEST(VelmoraMessages, RepeatEdgesPastTheHostLimitSaysWhichLimit) {
  ScratchFolder folder;
  WriteFixture(folder / "wide.png", OIIO::ImageSpec(29950, 1, 3, OIIO::TypeDesc::UINT8),
               [](int, int, int) { return 0.5f; });
  const RunResult run =
      RunIn(folder, {"@/wide.png", "@/o.png", "--repeat-edges", "--radius", "100"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("past the host's limit of 30000 pixels on a side"), std::string::npos)
      << run.err;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"wide.png"});
}

}  // namespace
}  // namespace velmora_test
