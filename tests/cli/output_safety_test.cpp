// What velmora does to the files it writes when things go wrong: a full disk, a file size limit,
// a stopping signal, a protected or linked output. The old output survives every failure and no
// temporary file is left behind.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "tests/cli/cli_runner.h"

namespace velmora_test {
namespace {

// Noise compresses badly, so its image files are about as large as its pixels.
void WriteNoise(const std::filesystem::path& path, int side) {
  WriteFixture(
      path, OIIO::ImageSpec(side, side, 3, OIIO::TypeDesc::UINT8), [](int x, int y, int c) {
        unsigned hash = static_cast<unsigned>(x) * 73856093u ^
                        static_cast<unsigned>(y) * 19349663u ^ static_cast<unsigned>(c) * 83492791u;
        hash ^= hash >> 13;
        hash *= 0x5bd1e995u;
        return static_cast<float>((hash >> 8) & 0xFF) / 255.0f;
      });
}

void WriteSmall(const std::filesystem::path& path) {
  WriteFixture(path, OIIO::ImageSpec(4, 4, 3, OIIO::TypeDesc::UINT8),
               [](int, int, int) { return 0.5f; });
}

void ExpectFailureLine(const RunResult& run, const std::string& words) {
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.err.rfind("velmora: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

// A tmpfs of a few pages, where the machine lets us mount one.
class SmallDisk {
 public:
  explicit SmallDisk(const std::filesystem::path& where) : path_(where) {
    std::filesystem::create_directory(path_);
    mounted_ = mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount(path_.c_str());
  }
  bool mounted() const { return mounted_; }

 private:
  std::filesystem::path path_;
  bool mounted_ = false;
};

TEST(VelmoraOutputSafety, AFailedWriteKeepsTheOldOutputAndSaysWhy) {
  ScratchFolder folder;
  WriteNoise(folder / "noise.png", 256);  // about 190 KB of pixels in every format
  SmallDisk disk(folder / "disk");
  std::filesystem::create_directory(folder / "limited");
  for (const char* extension : {".png", ".jpg", ".exr", ".tif"}) {
    struct Way {
      std::filesystem::path folder;
      std::string shell_setup;
      const char* reason;
    };
    std::vector<Way> ways = {{folder / "limited", "ulimit -f 40; ", "File too large"}};
    if (disk.mounted()) ways.push_back({folder / "disk", "", "No space left on device"});
    for (const Way& way : ways) {
      SCOPED_TRACE(std::string(extension) + " " + way.reason);
      const auto output = way.folder / (std::string("out") + extension);
      WriteSmall(output);
      const std::string before = ReadBytes(output);
      const RunResult run =
          RunVelmora({"render", (folder / "noise.png").string(), output.string(), "--radius", "0"},
                     way.shell_setup);
      // TIFF is written by name, and libtiff words its own failure.
      ExpectFailureLine(run, std::string(extension) == ".tif"
                                 ? std::string("cannot write")
                                 : std::string("cannot write: ") + way.reason);
      EXPECT_EQ(ReadBytes(output), before) << "the old output was touched";
      std::vector<std::string> left;
      for (const auto& entry : std::filesystem::directory_iterator(way.folder)) {
        left.push_back(entry.path().filename().string());
      }
      EXPECT_EQ(left, std::vector<std::string>{output.filename().string()});
      std::filesystem::remove(output);
    }
  }
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs here; the file size limit stood in for it";
}

TEST(VelmoraOutputSafety, ReplacesOnlyWhatTheUserCouldWriteAndKeepsItsMode) {
  ScratchFolder folder;
  WriteSmall(folder / "in.png");
  WriteNoise(folder / "other.png", 8);
  const std::string other = ReadBytes(folder / "other.png");
  const auto render_to = [&](const std::string& name) {
    return RunVelmora({"render", (folder / "in.png").string(), (folder / name).string()});
  };

  // A replaced file keeps its mode.
  std::filesystem::copy_file(folder / "other.png", folder / "kept.png");
  chmod((folder / "kept.png").c_str(), 0604);
  ASSERT_EQ(render_to("kept.png").status, 0);
  EXPECT_NE(ReadBytes(folder / "kept.png"), other);
  struct stat info {};
  stat((folder / "kept.png").c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0604u);

  // A write-protected file is left alone, even for a user who could write it anyway.
  std::filesystem::copy_file(folder / "other.png", folder / "locked.png");
  chmod((folder / "locked.png").c_str(), 0444);
  ExpectFailureLine(render_to("locked.png"), "locked.png: is write-protected");
  EXPECT_EQ(ReadBytes(folder / "locked.png"), other);

  // A link is written through, as cp does: the link stays and its target gets the new image.
  std::filesystem::create_directory(folder / "real");
  std::filesystem::copy_file(folder / "other.png", folder / "real" / "target.png");
  chmod((folder / "real" / "target.png").c_str(), 0640);
  std::filesystem::create_symlink("real/target.png", folder / "link.png");
  ASSERT_EQ(render_to("link.png").status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.png"));
  // Pixels, not bytes: the file's history names the output it was written to.
  EXPECT_EQ(ReadPixels(folder / "real" / "target.png").values,
            ReadPixels(folder / "kept.png").values);
  stat((folder / "real" / "target.png").c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "real"),
                          std::filesystem::directory_iterator()),
            1);

  // A link to nothing is refused rather than followed into a new file.
  std::filesystem::create_symlink("nowhere/x.png", folder / "dangling.png");
  ExpectFailureLine(render_to("dangling.png"), "dangling.png: is a link to nothing");
}

TEST(VelmoraOutputSafety, NamesNearTheLengthLimitStillWrite) {
  ScratchFolder folder;
  WriteSmall(folder / "in.png");
  const std::string name = std::string(251, 'n') + ".png";  // 255 bytes, the most a name holds
  const RunResult run = RunVelmora(
      {"render", (folder / "in.png").string(), (folder / name).string(), "--radius", "0"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"in.png", name}));
}

// Starts velmora paused in the middle of writing its output, with the signal dispositions of
// this process (an ignored signal stays ignored), and returns once the write is under way.
pid_t StartPausedMidWrite(const ScratchFolder& folder) {
  const std::string input = (folder / "in.exr").string();
  const std::string output = (folder / "out.exr").string();
  const char* argv[] = {VELMORA_CLI_PATH, "render", input.c_str(), output.c_str(),
                        "--radius",       "0",      nullptr};
  setenv("VELMORA_TEST_PAUSE_AT", "mid-write", 1);
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, VELMORA_CLI_PATH, nullptr, nullptr, const_cast<char**>(argv), environ);
  unsetenv("VELMORA_TEST_PAUSE_AT");
  if (spawned != 0) return -1;
  // The paused process never gets further, so the temporary file it started is waited for.
  for (int tries = 0; tries < 6000; ++tries) {
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
      const std::string name = entry.path().filename().string();
      std::error_code error;
      if (name.rfind(".out", 0) == 0 && std::filesystem::file_size(entry.path(), error) > 0) {
        return pid;
      }
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return -1;  // it finished without pausing
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

TEST(VelmoraOutputSafety, AStopMidWriteRemovesTheTemporaryFileAndEndsByTheSignal) {
  ScratchFolder folder;
  WriteFixture(folder / "in.exr", OIIO::ImageSpec(256, 256, 4, OIIO::TypeDesc::FLOAT),
               [](int x, int y, int c) { return static_cast<float>((x + y + c) % 7) / 7; });
  struct Case {
    const char* what;
    std::vector<int> sent;  // in order; the last one ends the run
    bool ignore_first;      // the first signal is ignored by the caller, as under nohup
  } cases[] = {
      {"SIGTERM", {SIGTERM}, false},
      {"SIGINT", {SIGINT}, false},
      {"SIGHUP", {SIGHUP}, false},
      {"an inherited ignore holds", {SIGHUP, SIGINT}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    struct sigaction saved {};
    if (c.ignore_first) {
      struct sigaction ignore {};
      ignore.sa_handler = SIG_IGN;
      sigaction(c.sent.front(), &ignore, &saved);
    }
    const pid_t pid = StartPausedMidWrite(folder);
    if (c.ignore_first) sigaction(c.sent.front(), &saved, nullptr);
    ASSERT_GT(pid, 0) << "velmora did not pause in the middle of its write";
    for (int signal_number : c.sent) kill(pid, signal_number);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "ended with exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), c.sent.back());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"in.exr"});
  }
}

}  // namespace
}  // namespace velmora_test
