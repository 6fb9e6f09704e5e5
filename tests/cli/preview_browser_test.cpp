// velmora preview's page in a real browser: headless Chromium opens /?selftest=1, where the
// page itself moves the radius as a user would, waits for the new frame, compares it with the
// one before and presses Save preset, then posts what it saw to the server. The test reads that
// report and renders the saved preset with the command. The screenshot it leaves in the build
// folder is the one docs/cli.md shows.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/wait.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "tests/cli/cli_runner.h"
#include "tests/cli/preview_process.h"

namespace velmora_test {
namespace {

const std::filesystem::path kSample =
    std::filesystem::path(VELMORA_SOURCE_DIR) / "samples" / "sample.png";

// The browser is given two minutes at most, whatever happens to the page.
constexpr int kBrowserSeconds = 120;

TEST(PreviewBrowserTest, ThePageMovesTheRadiusShowsTheNewFrameAndSavesItsPreset) {
  ASSERT_EQ(std::system("command -v chromium >/dev/null"), 0)
      << "chromium is not installed (scripts/install-deps.sh installs it)";
  ScratchFolder folder;
  const auto preset = folder / "look.toml";
  PreviewProcess server({kSample.string(), "--save-as", preset.string()});
  ASSERT_GT(server.port(), 0) << server.line() << server.err();

  const std::filesystem::path screenshot =
      std::filesystem::path(VELMORA_TEST_OUTPUT_DIR) / "preview.png";
  std::filesystem::remove(screenshot);
  // Virtual time runs the page's script to its end (it stands still while a request is out);
  // the screenshot is taken then. As root the browser needs --no-sandbox; it opens only this
  // page, from 127.0.0.1.
  const std::string command =
      "timeout " + std::to_string(kBrowserSeconds) +
      " chromium --headless --no-sandbox --disable-gpu --disable-dev-shm-usage --no-first-run "
      "--user-data-dir='" +
      (folder / "profile").string() + "' --window-size=1280,760 --virtual-time-budget=60000" +
      " --screenshot='" + screenshot.string() + "' '" + server.url() + "?selftest=1' >'" +
      (folder / "browser.log").string() + "' 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the browser failed or ran out of time:\n"
      << ReadBytes(folder / "browser.log");
  EXPECT_GT(std::filesystem::file_size(screenshot), 0u);

  httplib::Client client("127.0.0.1", server.port());
  const auto posted = client.Get("/selftest");
  ASSERT_TRUE(posted);
  ASSERT_EQ(posted->status, 200) << "the page posted no report:\n"
                                 << ReadBytes(folder / "browser.log");
  const auto report = nlohmann::json::parse(posted->body);
  EXPECT_EQ(report["error"], "") << posted->body;
  EXPECT_EQ(report["tintGreyed"], true) << "the tint's controls are live while it is off";
  EXPECT_EQ(report["changed"], true) << "the frame after the radius moved is the one before";
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

}  // namespace
}  // namespace velmora_test
