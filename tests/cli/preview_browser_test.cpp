// velmora preview's page in a real browser: headless Chromium, driven over its DevTools
// protocol by preview_page_driver.py, moves the radius as a user would, waits for the new
// frame, compares it with the one before and presses Save preset; the test renders the saved
// preset with the command. A drag of the radius slider over an HD frame must show frames while
// it lasts. The screenshot left in the build folder is the one docs/cli.md shows.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "tests/cli/cli_runner.h"
#include "tests/cli/preview_process.h"

namespace velmora_test {
namespace {

const std::filesystem::path kSample =
    std::filesystem::path(VELMORA_SOURCE_DIR) / "samples" / "sample.png";
const std::filesystem::path kDriver =
    std::filesystem::path(VELMORA_SOURCE_DIR) / "tests" / "cli" / "preview_page_driver.py";

// The browser is given two minutes at most for a screenshot, whatever happens to the page.
constexpr int kBrowserSeconds = 120;

void ExpectChromium() {
  ASSERT_EQ(std::system("command -v chromium >/dev/null"), 0)
      << "chromium is not installed (scripts/install-deps.sh installs it)";
  ASSERT_EQ(std::system("/usr/bin/python3 -c 'import websocket' 2>/dev/null"), 0)
      << "python3-websocket is not installed (scripts/install-deps.sh installs it)";
}

// Runs the driver (`mode` and its arguments) against the page at `url` with a fresh profile
// under `folder`; its report, or {"error": ...} when it printed none.
nlohmann::json DrivePage(const std::string& mode, const std::string& url,
                         const std::filesystem::path& folder) {
  const std::string command = "/usr/bin/python3 '" + kDriver.string() + "' " + mode + " '" + url +
                              "' '" + (folder / ("profile-" + mode)).string() + "' 2>&1";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  const std::size_t last = out.find_last_of('\n', out.size() >= 2 ? out.size() - 2 : 0);
  const std::string line = out.substr(last == std::string::npos ? 0 : last + 1);
  const auto report = nlohmann::json::parse(line, nullptr, false);
  if (report.is_discarded() || !report.is_object()) {
    return {{"error", "the driver printed no report: " + out}};
  }
  return report;
}

TEST(PreviewBrowserTest, ThePageMovesTheRadiusShowsTheNewFrameAndSavesItsPreset) {
  ExpectChromium();
  ScratchFolder folder;
  const auto preset = folder / "look.toml";
  PreviewProcess server({kSample.string(), "--save-as", preset.string()});
  ASSERT_GT(server.port(), 0) << server.line() << server.err();
  const nlohmann::json report = DrivePage("try", server.url(), folder.path());
  const std::string browser =
      "timeout " + std::to_string(kBrowserSeconds) +
      " chromium --headless --no-sandbox --disable-gpu --disable-background-networking "
      "--disable-component-update --disable-sync "
      "--disable-dev-shm-usage --no-first-run "
      "--window-size=1280,760 --user-data-dir='";
  const std::string log = (folder / "browser.log").string();

  // The picture of the page the docs show, from a browser of its own.
  const std::filesystem::path screenshot =
      std::filesystem::path(VELMORA_TEST_OUTPUT_DIR) / "preview.png";
  std::filesystem::remove(screenshot);
  const std::string shot = browser + (folder / "shot-profile").string() +
                           "' --virtual-time-budget=20000 --screenshot='" + screenshot.string() +
                           "' '" + server.url() + "' >>'" + log + "' 2>&1";
  const int shot_status = std::system(shot.c_str());
  EXPECT_TRUE(WIFEXITED(shot_status) && WEXITSTATUS(shot_status) == 0) << ReadBytes(log);
  EXPECT_TRUE(std::filesystem::exists(screenshot)) << ReadBytes(log);
  EXPECT_EQ(report["error"], "") << report.dump();
  EXPECT_EQ(report["tintGreyed"], true) << "the tint's controls are live while it is off";
  EXPECT_EQ(report["changed"], true) << "the frame after the radius moved is the one before";
  ASSERT_TRUE(report["radius"].is_string()) << report.dump();
  const std::string radius = report["radius"];
  EXPECT_NE(radius, "100");  // the effect's default, the page's first frame
  const std::string query = report["query"];
  EXPECT_NE(query.find("radius=" + radius + "&"), std::string::npos) << query;
  EXPECT_EQ(report["file"], preset.string());
  EXPECT_EQ(report["command"],
            "velmora render " + kSample.string() + " sample-glow.png --preset " + preset.string());

  // The saved preset renders the frame the page showed last.
  const RunResult run = RunVelmora({"render", "-q", kSample.string(), (folder / "out.png").string(),
                                    "--preset", preset.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  httplib::Client client("127.0.0.1", server.port());
  const auto frame = client.Get("/render.png?" + query);
  ASSERT_TRUE(frame);
  ASSERT_EQ(frame->status, 200) << frame->body;
  std::ofstream(folder / "page.png", std::ios::binary) << frame->body;
  const Pixels page = ReadPixels(folder / "page.png");
  const Pixels saved = ReadPixels(folder / "out.png");
  ASSERT_EQ(page.spec.width, saved.spec.width);
  ASSERT_EQ(page.spec.height, saved.spec.height);
  EXPECT_TRUE(page.values == saved.values);

  EXPECT_EQ(server.Stop(), 0) << server.err();
}

// With a colour config, the page offers its views: choosing one and an exposure asks for both
// frames through them, and the preset saved meanwhile holds the controls alone.
TEST(PreviewBrowserTest, TheViewMenuShowsBothFramesThroughTheViewButSavesNoView) {
  ExpectChromium();
  ScratchFolder folder;
  const auto config = folder / "view.ocio";
  std::ofstream(config) << R"(ocio_profile_version: 2
roles:
  default: linear
  scene_linear: linear
file_rules:
  - !<Rule> {name: Default, colorspace: default}
displays:
  sRGB:
    - !<View> {name: Standard, colorspace: sRGB}
colorspaces:
  - !<ColorSpace>
    name: linear
    encoding: scene-linear
  - !<ColorSpace>
    name: sRGB
    encoding: sdr-video
    from_scene_reference: !<ExponentWithLinearTransform> {gamma: 2.4, offset: 0.055, direction: inverse}
)";
  const auto plate = folder / "plate.exr";
  WriteFixture(plate, OIIO::ImageSpec(64, 40, 3, OIIO::TypeDesc::HALF),
               [](int x, int y, int c) { return (x * 5 + y * 3 + c * 7) % 32 / 20.0f; });
  PreviewProcess server(
      {plate.string(), "--ocio", config.string(), "--save-as", (folder / "look.toml").string()});
  ASSERT_GT(server.port(), 0) << server.line() << server.err();
  const nlohmann::json report = DrivePage("view", server.url(), folder.path());
  ASSERT_EQ(report["error"], "") << report.dump();
  EXPECT_EQ(report["menuShown"], true);
  EXPECT_EQ(report["exposureGreyedAsStored"], true);
  EXPECT_EQ(report["view"], "sRGB/Standard");
  EXPECT_EQ(report["exposureLive"], true);
  EXPECT_EQ(report["source"], "view=sRGB%2FStandard&exposure=1");
  const std::string query = report["query"];
  EXPECT_EQ(query.find("view"), std::string::npos) << query;
  EXPECT_EQ(query.find("exposure"), std::string::npos) << query;
  EXPECT_EQ(server.Stop(), 0) << server.err();
}

// A drag of the radius over an HD frame, a move every 16 ms for about 3 s, shows frames while
// it lasts, not only once it ends; then the full frame. It counts frames, not their pace, so a
// loaded machine only makes them coarser.
TEST(PreviewBrowserTest, DraggingASliderShowsFramesDuringTheDrag) {
  ExpectChromium();
  ScratchFolder folder;
  const auto frame = folder / "hd.png";
  // Soft shapes and a few bright spots, as a photo has: something to blur at every scale.
  WriteFixture(frame, OIIO::ImageSpec(1920, 1080, 3, OIIO::TypeDesc::UINT8),
               [](int x, int y, int c) {
                 const float wave = 0.5f + 0.25f * std::sin(x * 0.01f + c) * std::cos(y * 0.013f);
                 const bool spot = (x / 160 + y / 120) % 5 == 0 && x % 160 < 12 && y % 120 < 12;
                 return spot ? 1.0f : wave;
               });
  PreviewProcess server({frame.string(), "--save-as", (folder / "look.toml").string()});
  ASSERT_GT(server.port(), 0) << server.line() << server.err();
  const nlohmann::json report = DrivePage("drag", server.url(), folder.path());
  ASSERT_EQ(report["error"], "") << report.dump();
  EXPECT_NE(report["radius_after"], report["radius_before"]) << "the mouse did not move the slider";
  EXPECT_GE(report["frames_during_drag"].get<int>(), 2) << report.dump();
  EXPECT_EQ(report["last_scale"], "(full size)") << report.dump();
  EXPECT_EQ(server.Stop(), 0) << server.err();
}

}  // namespace
}  // namespace velmora_test
