// velmora on sequences as compositors name and list them, and the one-line refusals of input
// made to break it: huge ranges, absurd padding, numbers beyond range, pasted-in files.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "tests/cli/cli_runner.h"
#include "tests/cli/paused_run.h"

namespace velmora_test {
namespace {

// A small flat grey that tells frame (1 to 6).
void WriteFrame(const std::filesystem::path& path, int frame) {
  WriteFixture(path, OIIO::ImageSpec(4, 4, 3, OIIO::TypeDesc::UINT8),
               [&](int, int, int) { return std::min(frame, 6) * 40 / 255.0f; });
}

std::string FrameName(const char* prefix, int frame) {
  char name[32];
  std::snprintf(name, sizeof name, "%s.%04d.png", prefix, frame);
  return name;
}

// Frames in.0001.png .. in.0005.png, each a flat grey that tells its frame.
void WriteFrames(const ScratchFolder& folder) {
  for (int frame = 1; frame <= 5; ++frame) WriteFrame(folder / FrameName("in", frame), frame);
}

// Every "@/" in text stands for the folder.
std::string InFolder(const ScratchFolder& folder, std::string text) {
  const std::string path = folder.path().string() + "/";
  for (std::size_t at = text.find("@/"); at != std::string::npos; at = text.find("@/", at)) {
    text.replace(at, 2, path);
    at += path.size();
  }
  return text;
}

int FrameShown(const std::filesystem::path& path) {
  return static_cast<int>(std::lround(ReadPixels(path).at(1, 1, 0) * 255 / 40));
}

std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
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
      // One file to a pattern: the still is held over the frames asked for.
      {{"@/in.0002.png", "@/out/o.####.png", "--frames", "7-8"},
       {{"o.0007.png", 2}, {"o.0008.png", 2}}},
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
      {{"@/in.0001.png", "@/o.####.png"},
       "o.####.png: one input file to a frame pattern: give --frames to say which frames to write",
       2},
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

TEST(VelmoraSequences, FramesMissingOnDiskAreNamedAndStrictRendersNothing) {
  std::vector<int> many_gaps;  // 1, 3, ..., 43 and 44: 21 gaps, more than a line lists
  for (int frame = 1; frame <= 43; frame += 2) many_gaps.push_back(frame);
  many_gaps.push_back(44);
  std::string many_listed = "21 of 44 frames missing on disk: 2";
  for (int frame = 4; frame <= 40; frame += 2) many_listed += ", " + std::to_string(frame);
  struct Case {
    std::vector<int> on_disk;
    std::vector<std::string> flags;
    int status;
    std::string err;  // all of stderr; PATTERN stands for the input's name
    std::size_t written;
  } cases[] = {
      {{1, 2, 4, 7, 8, 9},
       {},
       0,
       "velmora: warning: PATTERN: 3 of 9 frames missing on disk: 3, 5-6\n",
       6},
      {{1, 2, 4, 7, 8, 9},
       {"--strict"},
       1,
       "velmora: PATTERN: 3 of 9 frames missing on disk: 3, 5-6 (--strict)\n",
       0},
      // Frames on twos miss only the frames of their step.
      {{1, 3, 5, 11},
       {},
       0,
       "velmora: warning: PATTERN: 2 of 6 frames missing on disk: 7-9x2\n",
       4},
      {{1, 3, 5}, {"--strict"}, 0, "", 3},
      {many_gaps, {"--strict"}, 1, "velmora: PATTERN: " + many_listed + ", ... (--strict)\n", 0},
      // Frames asked for are checked one by one, as before: --strict adds nothing.
      {{1, 2, 4}, {"--strict", "--frames", "1,2,4"}, 0, "", 3},
      {{1, 2, 4}, {"--frames", "1-4"}, 1, "velmora: @/in.0003.png: no such file\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    ScratchFolder folder;
    for (int frame : c.on_disk) WriteFrame(folder / FrameName("in", frame), frame);
    std::filesystem::create_directory(folder / "out");
    std::vector<std::string> args = {"@/in.####.png", "@/out/o.####.png", "--radius", "0"};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    const RunResult run = RunIn(folder, args);
    std::string err = InFolder(folder, c.err);
    if (const auto at = err.find("PATTERN"); at != std::string::npos) {
      err.replace(at, 7, (folder / "in.####.png").string());
    }
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, err);
    const auto out = folder / "out";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), c.written);
  }
}

TEST(VelmoraSequences, SkipExistingRendersAgainAnOutputThatIsNoImage) {
  ScratchFolder folder;
  WriteFrames(folder);
  std::filesystem::create_directory(folder / "out");
  auto output = [&](int frame) { return folder / "out" / FrameName("o", frame); };
  WriteFrame(output(1), 6);  // a whole frame, told apart from a render of frame 1
  std::ofstream(output(2), std::ios::binary);
  std::ofstream(output(3), std::ios::binary) << "not an image";
  std::ofstream(output(4), std::ios::binary) << "\x89PNG\r\n\x1a\n";  // cut after the signature
  const RunResult run = RunIn(folder, {"@/in.####.png", "@/out/o.####.png", "--radius", "0",
                                       "--skip-existing", "--verbose"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("kept " + output(1).string()), std::string::npos) << run.err;
  for (int frame = 2; frame <= 5; ++frame) {
    EXPECT_NE(run.err.find("wrote " + output(frame).string()), std::string::npos) << run.err;
    EXPECT_EQ(FrameShown(output(frame)), frame);
  }
  EXPECT_EQ(FrameShown(output(1)), 6) << "a whole frame was rendered again";
  std::vector<std::string> names;
  for (int frame = 1; frame <= 5; ++frame) names.push_back(FrameName("o", frame));
  EXPECT_EQ(NamesIn(folder / "out"), names) << "a temporary was left behind";
}

// The next frame is read while the last one is written: a decode held open in the middle of
// frame 3 keeps neither frame 1's nor frame 2's encode waiting, as one lock around every codec
// call would.
TEST(VelmoraSequences, WritingGoesOnWhileTheNextFrameIsBeingRead) {
  ScratchFolder folder;
  WriteFrames(folder);
  std::filesystem::create_directory(folder / "out");
  auto output = [&](int frame) { return folder / "out" / FrameName("o", frame); };
  PausedRun run({"render", (folder / "in.####.png").string(), (folder / "out/o.####.png").string(),
                 "--frames", "1-3", "--radius", "0"},
                "mid-read:" + FrameName("in", 3));
  ASSERT_TRUE(run.Paused()) << "frame 3 was never read: " << run.err();
  auto written = [&] {
    return std::filesystem::exists(output(1)) && std::filesystem::exists(output(2));
  };
  for (int tries = 0; tries < 6000 && !written(); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(written()) << "frames 1 and 2 were not written while frame 3's read was held";
  run.Resume();
  const int status = run.Wait();
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << run.err();
  for (int frame = 1; frame <= 3; ++frame) EXPECT_EQ(FrameShown(output(frame)), frame);
}

TEST(VelmoraSequences, DryRunPrintsEachFrameAndWritesNothing) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
  } cases[] = {
      {{"@/in.####.png", "@/out/o.####.png", "--frames", "2-3", "--skip-existing"},
       0,
       "2 @/in.0002.png -> @/out/o.0002.png (kept)\n3 @/in.0003.png -> @/out/o.0003.png\n"},
      {{"@/in.####.png", "@/out/o.####.png", "--frames", "2-3"},
       0,
       "2 @/in.0002.png -> @/out/o.0002.png\n3 @/in.0003.png -> @/out/o.0003.png\n"},
      {{"@/in.0001.png", "@/out/still.####.png", "--frames", "10-11", "--frame-offset", "5"},
       0,
       "10 @/in.0001.png -> @/out/still.0015.png\n11 @/in.0001.png -> @/out/still.0016.png\n"},
      {{"@/in.0001.png", "@/out/one.png"}, 0, "- @/in.0001.png -> @/out/one.png\n"},
      // Controls and presets are checked as for a render.
      {{"@/in.####.png", "@/out/o.####.png", "--radius", "501"}, 2, ""},
      {{"@/in.####.png", "@/out/o.####.png", "--preset", "@/p.json"}, 2, ""},
      {{"@/in.####.png", "@/out/o.####.png", "--frames", "1-6"}, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + (c.args.size() > 2 ? c.args[2] + " " + c.args[3] : ""));
    ScratchFolder folder;
    WriteFrames(folder);
    std::ofstream(folder / "p.json") << R"({"mode": "bright"})";
    std::filesystem::create_directory(folder / "out");
    WriteFrame(folder / "out" / "o.0002.png", 6);
    std::ofstream(folder / "out" / "o.0003.png", std::ios::binary);  // empty: not kept
    const std::vector<std::string> before = NamesIn(folder / "out");
    std::vector<std::string> args = c.args;
    args.push_back("--dry-run");
    const RunResult run = RunIn(folder, args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, InFolder(folder, c.out));
    EXPECT_EQ(run.err.empty(), c.status == 0) << run.err;
    EXPECT_EQ(NamesIn(folder / "out"), before) << "something was written";
    EXPECT_EQ(std::filesystem::file_size(folder / "out" / "o.0003.png"), 0u);
  }
}

// The JSON gives what `velmora info` shows, and the ranges it gives are the ones render holds.
TEST(VelmoraMessages, InfoJsonGivesEachControlAsRenderTakesIt) {
  const RunResult json_run = RunVelmora({"info", "--json"});
  ASSERT_EQ(json_run.status, 0) << json_run.err;
  const auto info = nlohmann::json::parse(json_run.out);
  const RunResult table = RunVelmora({"info"});
  ASSERT_EQ(table.status, 0) << table.err;
  std::map<std::string, nlohmann::json> controls;
  for (const auto& control : info.at("controls")) controls[control.at("name")] = control;

  ASSERT_EQ(controls.size(), 8u) << json_run.out;
  EXPECT_EQ(info.at("effect").at("name"), "Velmora");
  EXPECT_EQ(controls["radius"].at("range"), nlohmann::json::array({0, 500}));
  EXPECT_EQ(controls["radius"].at("default"), 100);
  EXPECT_EQ(controls["intensity"].at("range"), nlohmann::json::array({0.0, 11.0}));
  EXPECT_EQ(controls["mode"].at("choices"), nlohmann::json::array({"screen", "add"}));
  EXPECT_EQ(controls["mode"].at("default"), "screen");
  EXPECT_EQ(controls["tint"].at("default"), "off");
  EXPECT_EQ(controls["tint"].at("colour"), "#FF0000");
  EXPECT_EQ(controls["gamma"].at("default"), false);
  // The effect's Chinese words, each with its English.
  EXPECT_EQ(controls["radius"].at("label_english"), "Glow radius");
  EXPECT_NE(table.out.find("\n  Velmora is an open-source project, released under the MIT"),
            std::string::npos)
      << table.out;

  ScratchFolder folder;
  WriteFrames(folder);
  auto accepts = [&](const std::string& flag, const std::string& value) {
    return RunIn(folder, {"@/in.0001.png", "@/o.png", "--dry-run", flag, value}).status == 0;
  };
  for (const auto& [name, control] : controls) {
    SCOPED_TRACE(name);
    const std::string flag = control.at("flag");
    EXPECT_EQ(flag, "--" + name);
    // The table shows the same label beside the same flag.
    std::istringstream lines(table.out);
    const std::string label = control.at("label").get<std::string>();
    const std::string english = control.at("label_english").get<std::string>();
    bool shown = false;
    for (std::string line; std::getline(lines, line);) {
      shown |= line.find(label) == 6 && line.find(" " + flag + " ") != std::string::npos &&
               line.find(english) != std::string::npos;
    }
    EXPECT_TRUE(shown) << table.out;
    if (control.contains("range")) {
      const auto& range = control.at("range");
      EXPECT_TRUE(accepts(flag, range[0].dump()));
      EXPECT_TRUE(accepts(flag, range[1].dump()));
      const nlohmann::json above = range[1].is_number_integer()
                                       ? nlohmann::json(range[1].get<long>() + 1)
                                       : nlohmann::json(range[1].get<double>() + 1);
      EXPECT_FALSE(accepts(flag, above.dump()));
    }
    for (const auto& choice : control.value("choices", nlohmann::json::array())) {
      EXPECT_TRUE(accepts(flag, choice.get<std::string>()));
    }
  }
}

// The host's refusal names the world it could not make, wider than the frame by the edge band.
TEST(VelmoraMessages, RepeatEdgesPastTheHostLimitNamesTheRefusedSize) {
  ScratchFolder folder;
  WriteFixture(folder / "wide.png", OIIO::ImageSpec(29950, 1, 3, OIIO::TypeDesc::UINT8),
               [](int, int, int) { return 0.5f; });
  const RunResult run =
      RunIn(folder, {"@/wide.png", "@/o.png", "--repeat-edges", "--radius", "100"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("wide.png: the effect failed to render: AEGP_New: a 30078 x 129 world is "
                         "refused (sides from 0 to 30000 pixels)"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"wide.png"});
}

// Arguments nothing takes: one line in velmora's form naming the first as typed (CLI11 lists
// them backwards) and the option nearest to it.
TEST(VelmoraMessages, AnUnknownOptionIsNamedWithTheNearestKnownOne) {
  ScratchFolder folder;
  const struct {
    std::vector<std::string> args;
    std::string line;
  } cases[] = {
      {{"render", "a.png", "b.png", "--radus", "3", "--tnt", "red"},
       "velmora: --radus: unknown option of velmora render; nearest: --radius (see velmora render "
       "--help)\n"},
      {{"render", "a.png", "b.png", "--intensity=2", "--tint=red", "--gama"},
       "velmora: --gama: unknown option of velmora render; nearest: --gamma (see velmora render "
       "--help)\n"},
      {{"info", "--jsn"},
       "velmora: --jsn: unknown option of velmora info; nearest: --json (see velmora info "
       "--help)\n"},
      {{"render", "a.png", "b.png", "c.png"},
       "velmora: 'c.png': unexpected argument to velmora render (see velmora render --help)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const RunResult run = RunVelmora(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, c.line);
  }
}

// Metadata the OpenEXR writer drops (a JPEG's GPS version, four bytes) draws the image
// library's debug lines unless velmora silences them: a quiet run says nothing.
TEST(VelmoraMessages, AQuietRunPrintsNothingOfTheImageLibrarys) {
  ScratchFolder folder;
  OIIO::ImageSpec spec(8, 8, 3, OIIO::TypeDesc::UINT8);
  const unsigned char version[4] = {2, 2, 0, 0};
  spec.attribute("GPS:VersionID", OIIO::TypeDesc(OIIO::TypeDesc::UINT8, 4), version);
  WriteFixture(folder / "photo.jpg", spec, [](int x, int, int) { return x / 8.0f; });
  const RunResult run = RunIn(folder, {"@/photo.jpg", "@/out.exr", "-q"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out + run.err, "");
}

}  // namespace
}  // namespace velmora_test
