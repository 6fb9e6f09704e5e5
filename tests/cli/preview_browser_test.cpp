// velmora preview's page in a real browser: headless Chromium opens /?selftest=1, where the
// page itself moves the radius as a user would, waits for the new frame, compares it with the
// one before and presses Save preset, then posts what it saw to the server. The test reads that
// report and renders the saved preset with the command. The screenshot it leaves in the build
// folder is the one docs/cli.md shows.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <thread>

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

  // The page runs its script in a browser left open until the page has posted its report (or
  // the browser's two minutes are up); a loaded machine only makes that take longer.
  const std::string browser = "timeout " + std::to_string(kBrowserSeconds) +
                              " chromium --headless --no-sandbox --disable-gpu "
                              "--disable-dev-shm-usage --no-first-run "
                              "--window-size=1280,760 --user-data-dir='";
  const std::string log = (folder / "browser.log").string();
  const pid_t browser_pid = fork();
  ASSERT_GE(browser_pid, 0);
  if (browser_pid == 0) {
    // Open for remote debugging, the browser stays open after the page's script ends.
    const std::string command = "exec " + browser + (folder / "profile").string() +
                                "' --remote-debugging-port=0 '" + server.url() + "?selftest=1' >'" +
                                log + "' 2>&1";
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  httplib::Client client("127.0.0.1", server.port());
  std::optional<httplib::Result> posted;
  int status = 0;
  bool browser_ended = false;
  while (!browser_ended) {
    posted.emplace(client.Get("/selftest"));
    if (*posted && (*posted)->status == 200) break;
    browser_ended = waitpid(browser_pid, &status, WNOHANG) == browser_pid;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  if (!browser_ended) {
    kill(browser_pid, SIGTERM);  // timeout passes it on to the browser
    waitpid(browser_pid, &status, 0);
  }
  ASSERT_TRUE(posted && *posted);
  ASSERT_EQ((*posted)->status, 200) << "the page posted no report:\n" << ReadBytes(log);

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
  const auto report = nlohmann::json::parse((*posted)->body);
  EXPECT_EQ(report["error"], "") << (*posted)->body;
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
