// What velmora does to the files it writes when things go wrong: a full disk, a file size limit,
// a signal, a protected or linked output, a temporary file swapped for a link mid-write, the
// temporary files of killed runs. The old output survives every failure and no temporary file
// is left behind.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>
#include <utility>

#include "cli/image/pending_file.h"
#include "cli/report/cli_error.h"
#include "tests/cli/cli_runner.h"
#include "tests/cli/paused_run.h"

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

bool IsTemporary(const std::string& name) {
  return name.find(".velmora-") != std::string::npos;
}

std::vector<std::string> Temporaries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (IsTemporary(entry.path().filename().string())) {
      names.push_back(entry.path().filename().string());
    }
  }
  return names;
}

// A tmpfs of a few pages, where the machine lets us mount one.
class SmallDisk {
  static constexpr const char* kSmall = "size=64k";

 public:
  explicit SmallDisk(const std::filesystem::path& where) : path_(where) {
    std::filesystem::create_directory(path_);
    mounted_ = mount("tmpfs", path_.c_str(), "tmpfs", 0, kSmall) == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount(path_.c_str());
  }
  bool mounted() const { return mounted_; }
  // Room for a few frames, or back to a few pages.
  bool Resize(bool large) {
    return mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT, large ? "size=4m" : kSmall) == 0;
  }

 private:
  std::filesystem::path path_;
  bool mounted_ = false;
};

// The ways a write runs out of room: a file size limit (everywhere), a full disk (where a tmpfs
// can be mounted).
struct OutOfRoom {
  std::filesystem::path folder;
  std::string shell_setup;
  const char* reason;
};

std::vector<OutOfRoom> WaysToRunOutOfRoom(const ScratchFolder& folder, const SmallDisk& disk) {
  std::filesystem::create_directory(folder / "limited");
  std::vector<OutOfRoom> ways = {{folder / "limited", "ulimit -f 40; ", "File too large"}};
  if (disk.mounted()) ways.push_back({folder / "disk", "", "No space left on device"});
  return ways;
}

const char* const kFormats[] = {".png", ".jpg", ".tif", ".exr", ".dpx"};

TEST(VelmoraOutputSafety, AFailedWriteKeepsTheOldOutputAndSaysWhy) {
  ScratchFolder folder;
  WriteNoise(folder / "noise.png", 256);  // about 190 KB of pixels in every format
  SmallDisk disk(folder / "disk");
  for (const char* extension : kFormats) {
    for (const OutOfRoom& way : WaysToRunOutOfRoom(folder, disk)) {
      SCOPED_TRACE(std::string(extension) + " " + way.reason);
      const auto output = way.folder / (std::string("out") + extension);
      WriteSmall(output);
      const std::string before = ReadBytes(output);
      const RunResult run =
          RunVelmora({"render", (folder / "noise.png").string(), output.string(), "--radius", "0"},
                     way.shell_setup);
      ExpectFailureLine(run, output.string() + ": cannot write: " + way.reason);
      EXPECT_TRUE(ReadBytes(output) == before) << "the old output was touched";
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

// A limit just under the finished file's size fails only the writer's last write: for TIFF,
// libtiff's final directory, which it does not report.
TEST(VelmoraOutputSafety, ALastWriteThatFailsIsCaughtInEveryFormat) {
  ScratchFolder folder;
  WriteNoise(folder / "noise.png", 64);
  std::filesystem::create_directory(folder / "a");
  std::filesystem::create_directory(folder / "b");
  for (const char* extension : kFormats) {
    SCOPED_TRACE(extension);
    // The same render twice, into folders of names as long, so the files match in size.
    const auto render_to = [&](const char* subfolder, const std::string& shell_setup) {
      const auto output = folder / subfolder / (std::string("out") + extension);
      return RunVelmora(
          {"render", (folder / "noise.png").string(), output.string(), "--radius", "0"},
          shell_setup);
    };
    ASSERT_EQ(render_to("a", "").status, 0);
    const auto whole = std::filesystem::file_size(folder / "a" / (std::string("out") + extension));
    const auto output = folder / "b" / (std::string("out") + extension);
    WriteSmall(output);
    const std::string before = ReadBytes(output);
    // sh counts the limit in blocks of 512 bytes.
    const RunResult run = render_to("b", "ulimit -f " + std::to_string((whole - 1) / 512) + "; ");
    ExpectFailureLine(run, output.string() + ": cannot write: File too large");
    EXPECT_TRUE(ReadBytes(output) == before) << "the old output was touched";
    EXPECT_EQ(Temporaries(folder / "b"), std::vector<std::string>{});
  }
}

TEST(VelmoraOutputSafety, AFrameThatFailsToWriteIsReportedAndARerunRedoesIt) {
  ScratchFolder folder;
  // Frames 1 and 3 are too large for the room left, frame 2 fits; frame 1 has an old output.
  WriteNoise(folder / "in.0001.png", 256);
  WriteSmall(folder / "in.0002.png");
  WriteNoise(folder / "in.0003.png", 256);
  SmallDisk disk(folder / "disk");
  for (const char* extension : kFormats) {
    for (const OutOfRoom& way : WaysToRunOutOfRoom(folder, disk)) {
      SCOPED_TRACE(std::string(extension) + " " + way.reason);
      const auto output = [&](int frame) {
        return way.folder / ("out.000" + std::to_string(frame) + extension);
      };
      WriteSmall(output(1));
      const std::string old_frame = ReadBytes(output(1));
      const std::vector<std::string> render = {"render",
                                               (folder / "in.####.png").string(),
                                               (way.folder / "out.####").string() + extension,
                                               "--frames",
                                               "1-3",
                                               "--radius",
                                               "0"};
      const RunResult run = RunVelmora(render, way.shell_setup);
      EXPECT_EQ(run.status, 1) << run.err;
      for (int frame : {1, 3}) {
        EXPECT_NE(run.err.find("velmora: frame " + std::to_string(frame) + ": " +
                               output(frame).string() + ": cannot write: " + way.reason + "\n"),
                  std::string::npos)
            << run.err;
      }
      EXPECT_NE(run.err.find("velmora: 2 of 3 frames failed: 1 3\n"), std::string::npos) << run.err;
      EXPECT_TRUE(ReadBytes(output(1)) == old_frame) << "the old output was touched";
      EXPECT_TRUE(std::filesystem::exists(output(2)));
      EXPECT_FALSE(std::filesystem::exists(output(3)));
      EXPECT_EQ(Temporaries(way.folder), std::vector<std::string>{});

      // With room again, a rerun renders the missing frame and keeps the ones there.
      if (way.shell_setup.empty()) {
        ASSERT_TRUE(disk.Resize(true));
      }
      std::vector<std::string> rerun = render;
      rerun.push_back("--skip-existing");
      const RunResult again = RunVelmora(rerun);
      EXPECT_EQ(again.status, 0) << again.err;
      EXPECT_TRUE(ReadBytes(output(1)) == old_frame) << "the old output was replaced";
      EXPECT_EQ(ReadPixels(output(3)).spec.width, 256);
      for (int frame : {1, 2, 3}) std::filesystem::remove(output(frame));
      if (way.shell_setup.empty()) {
        ASSERT_TRUE(disk.Resize(false));
      }
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

  // A link to nothing is refused rather than followed into a new file, also when its way
  // passes through a link to a folder.
  std::filesystem::create_symlink("nowhere/x.png", folder / "dangling.png");
  ExpectFailureLine(render_to("dangling.png"), "dangling.png: is a link to nothing");
  std::filesystem::create_symlink("real", folder / "real_link");
  std::filesystem::create_symlink("real_link/none.png", folder / "dangling_via.png");
  ExpectFailureLine(render_to("dangling_via.png"), "dangling_via.png: is a link to nothing");
  EXPECT_FALSE(std::filesystem::exists(folder / "real" / "none.png"));
}

// As Linux's fs.protected_symlinks: in a sticky world-writable folder, a link is followed only
// when it belongs to the caller or to the folder's owner; for the file's own name and for every
// folder on the way, and for the functions the preview's save checks and writes with.
TEST(VelmoraOutputSafety, ALinkAnotherUserPlantedInASharedFolderIsNotFollowed) {
  if (geteuid() != 0) GTEST_SKIP() << "making files of another user needs root";
  constexpr uid_t kOther = 65534;  // nobody
  ScratchFolder folder;
  WriteSmall(folder / "in.png");
  WriteNoise(folder / "victim.png", 8);
  const std::string victim = ReadBytes(folder / "victim.png");
  const auto shared = folder / "shared";
  struct Case {
    const char* what;
    mode_t folder_mode;
    uid_t folder_owner;
    uid_t link_owner;
    bool folder_link;  // shared/renders -> the victim's folder, else shared/out.png -> the victim
    bool followed;
  } cases[] = {
      {"another user's link in a shared folder", 01777, 0, kOther, false, false},
      {"the caller's own link in a shared folder", 01777, 0, 0, false, true},
      {"the shared folder's owner's link", 01777, kOther, kOther, false, true},
      {"another user's link in a folder that is not sticky", 0777, 0, kOther, false, true},
      {"another user's folder link in a shared folder", 01777, 0, kOther, true, false},
      {"the caller's own folder link in a shared folder", 01777, 0, 0, true, true},
      {"the shared folder's owner's folder link", 01777, kOther, kOther, true, true},
      {"another user's folder link in a folder that is not sticky", 0777, 0, kOther, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::create_directory(shared);
    ASSERT_EQ(chown(shared.c_str(), c.folder_owner, 0), 0);
    ASSERT_EQ(chmod(shared.c_str(), c.folder_mode), 0);
    const auto link = c.folder_link ? shared / "renders" : shared / "out.png";
    std::filesystem::create_symlink(c.folder_link ? folder.path() : folder / "victim.png", link);
    ASSERT_EQ(lchown(link.c_str(), c.link_owner, 0), 0);
    const auto output = c.folder_link ? link / "victim.png" : link;
    const RunResult run =
        RunVelmora({"render", (folder / "in.png").string(), output.string(), "--radius", "0"});
    if (c.followed) {
      EXPECT_EQ(run.status, 0) << run.err;
      EXPECT_TRUE(ReadBytes(folder / "victim.png") != victim) << "not written through the link";
      std::ofstream(folder / "victim.png", std::ios::binary) << victim;
    } else {
      const std::string folder_words =
          c.folder_link
              ? "its folder " + (std::filesystem::canonical(shared) / "renders").string() + " "
              : "";
      ExpectFailureLine(run, output.string() + ": " + folder_words +
                                 "is a link another user made in a shared folder");
      EXPECT_TRUE(ReadBytes(folder / "victim.png") == victim) << "written through the link";
      // What the preview's save goes through.
      EXPECT_THROW(cli::CheckReplaceable(output), cli::CliError);
      EXPECT_THROW(cli::PendingFile pending(output), cli::CliError);
    }
    std::filesystem::remove_all(shared);
  }

  // A link of the caller's own whose way passes through another user's folder link.
  std::filesystem::create_directory(shared);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  std::filesystem::create_symlink(folder.path(), shared / "renders");
  ASSERT_EQ(lchown((shared / "renders").c_str(), kOther, 0), 0);
  std::filesystem::create_directory(folder / "mine");
  std::filesystem::create_symlink(shared / "renders" / "victim.png", folder / "mine" / "out.png");
  ExpectFailureLine(RunVelmora({"render", (folder / "in.png").string(),
                                (folder / "mine" / "out.png").string(), "--radius", "0"}),
                    "renders is a link another user made in a shared folder");
  EXPECT_TRUE(ReadBytes(folder / "victim.png") == victim) << "written through the link";
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

void WriteFloatFixture(const std::filesystem::path& path) {
  WriteFixture(path, OIIO::ImageSpec(256, 256, 4, OIIO::TypeDesc::FLOAT),
               [](int x, int y, int c) { return static_cast<float>((x + y + c) % 7) / 7; });
}

TEST(VelmoraOutputSafety, EverySignalThatEndsARunMidWriteRemovesTheTemporaryFile) {
  // The signals that dump core must not leave a core file in the test's folder.
  const rlimit no_core{0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
  ScratchFolder folder;
  WriteFloatFixture(folder / "in.exr");
  const std::vector<std::string> render = {"render", (folder / "in.exr").string(),
                                           (folder / "out.exr").string(), "--radius", "0"};
  struct Case {
    const char* what;
    std::vector<int> sent;  // in order; the last one ends the run
    bool ignore_first;      // the first signal is ignored by the caller, as under nohup
  } cases[] = {
      {"SIGTERM", {SIGTERM}, false},
      {"SIGINT", {SIGINT}, false},
      {"SIGHUP", {SIGHUP}, false},
      {"SIGQUIT", {SIGQUIT}, false},
      {"SIGXCPU, a farm's CPU limit", {SIGXCPU}, false},
      {"SIGALRM", {SIGALRM}, false},
      {"SIGUSR1", {SIGUSR1}, false},
      {"SIGUSR2", {SIGUSR2}, false},
      {"SIGPIPE", {SIGPIPE}, false},
      {"a real-time signal", {SIGRTMIN + 1}, false},
      {"an inherited ignore holds", {SIGHUP, SIGINT}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PausedRun run(render, "mid-write",
                  c.ignore_first ? std::vector<int>{c.sent.front()} : std::vector<int>{});
    ASSERT_TRUE(run.Paused()) << "velmora did not pause in the middle of its write";
    ASSERT_EQ(Temporaries(folder.path()).size(), 1u);
    for (int signal_number : c.sent) run.Signal(signal_number);
    const int status = run.Wait();
    ASSERT_TRUE(WIFSIGNALED(status)) << "ended with exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), c.sent.back());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"in.exr"});
  }
}

// Someone who may write the output folder swaps the temporary file for a link to another file
// while velmora writes: the write stays in the file velmora made, nothing is written through
// the link, and the swapped name is not renamed into place.
TEST(VelmoraOutputSafety, ATemporaryFileSwappedForALinkMidWriteIsNotFollowed) {
  ScratchFolder folder;
  WriteSmall(folder / "in.png");
  WriteFloatFixture(folder / "in.exr");
  // Two pages, which TIFF writes through another route than a single image.
  {
    auto file = OIIO::ImageOutput::create("pages.tif");
    OIIO::ImageSpec specs[2] = {OIIO::ImageSpec(8, 8, 3, OIIO::TypeDesc::UINT8),
                                OIIO::ImageSpec(8, 8, 3, OIIO::TypeDesc::UINT8)};
    std::vector<unsigned char> pixels(8 * 8 * 3, 100);
    const std::string pages = (folder / "pages.tif").string();
    ASSERT_TRUE(file->open(pages, 2, specs) && file->write_image(OIIO::TypeUInt8, pixels.data()) &&
                file->open(pages, specs[1], OIIO::ImageOutput::AppendSubimage) &&
                file->write_image(OIIO::TypeUInt8, pixels.data()) && file->close());
  }
  const std::string victim = "a file the test owns";
  std::ofstream(folder / "victim") << victim;
  struct Case {
    const char* input;
    const char* output;
  } cases[] = {{"in.png", "out.png"},
               {"in.png", "out.tif"},
               {"pages.tif", "out.tif"},
               {"in.exr", "out.exr"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.input) + " -> " + c.output);
    WriteSmall(folder / c.output);
    const std::string old_output = ReadBytes(folder / c.output);
    PausedRun run({"render", (folder / c.input).string(), (folder / c.output).string()}, "created");
    ASSERT_TRUE(run.Paused());
    const std::vector<std::string> made = Temporaries(folder.path());
    ASSERT_EQ(made.size(), 1u);
    std::filesystem::create_symlink(folder / "victim", folder / "planted");
    std::filesystem::rename(folder / "planted", folder / made.front());
    run.Resume();
    const int status = run.Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(run.err(), "velmora: " + (folder / c.output).string() + ": cannot write: its " +
                             "temporary file " + made.front() +
                             " was replaced by someone else while it was written\n");
    EXPECT_TRUE(ReadBytes(folder / "victim") == victim) << "written through the planted link";
    EXPECT_FALSE(std::filesystem::is_symlink(folder / c.output));
    EXPECT_TRUE(ReadBytes(folder / c.output) == old_output) << "the old output was replaced";
    // What was planted is not velmora's to remove.
    EXPECT_TRUE(std::filesystem::is_symlink(folder / made.front()));
    std::filesystem::remove(folder / made.front());
  }
}

TEST(VelmoraOutputSafety, SkipExistingRemovesTheTemporaryFilesOfKilledRunsOnly) {
  ScratchFolder folder;
  WriteFloatFixture(folder / "in.0001.exr");
  WriteFloatFixture(folder / "in.0002.exr");
  const auto render_frame = [&](int frame) {
    const std::string number = "000" + std::to_string(frame);
    return std::vector<std::string>{"render", (folder / ("in." + number + ".exr")).string(),
                                    (folder / ("out." + number + ".exr")).string()};
  };
  // A run still writing frame 1, and one killed outright while writing frame 2.
  PausedRun alive(render_frame(1), "mid-write");
  ASSERT_TRUE(alive.Paused());
  const std::vector<std::string> alive_temporary = Temporaries(folder.path());
  ASSERT_EQ(alive_temporary.size(), 1u);
  {
    PausedRun killed(render_frame(2), "mid-write");
    ASSERT_TRUE(killed.Paused());
    killed.Signal(SIGKILL);
    ASSERT_TRUE(WIFSIGNALED(killed.Wait()));
  }
  ASSERT_EQ(Temporaries(folder.path()).size(), 2u);
  // A link named like a temporary file is nobody's temporary file.
  WriteNoise(folder / "victim.exr", 8);
  std::filesystem::create_symlink(folder / "victim.exr", folder / ".out.0002.velmora-AbC123.exr");

  const RunResult rerun = RunVelmora({"render", (folder / "in.####.exr").string(),
                                      (folder / "out.####.exr").string(), "--skip-existing"});
  EXPECT_EQ(rerun.status, 0) << rerun.err;
  std::vector<std::string> left = Temporaries(folder.path());
  std::vector<std::string> kept = {alive_temporary.front(), ".out.0002.velmora-AbC123.exr"};
  std::sort(left.begin(), left.end());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(left, kept);
  EXPECT_TRUE(std::filesystem::exists(folder / "victim.exr"));

  alive.Signal(SIGTERM);
  EXPECT_TRUE(WIFSIGNALED(alive.Wait()));
  EXPECT_FALSE(std::filesystem::exists(folder / alive_temporary.front()));
}

// A crash report or a sanitizer's goes to stderr: it must still be the caller's stderr while
// the codecs work, never a file of nothing.
TEST(VelmoraOutputSafety, StderrStaysTheCallersWhileTheCodecsWork) {
  ScratchFolder folder;
  WriteFixture(folder / "in.png", OIIO::ImageSpec(64, 64, 4, OIIO::TypeDesc::UINT8),
               [](int x, int y, int c) { return static_cast<float>((x + y + c) % 7) / 7; });
  PausedRun run({"render", (folder / "in.png").string(), (folder / "out.png").string()},
                "mid-write");
  ASSERT_TRUE(run.Paused()) << run.err();
  const auto stderr_file =
      std::filesystem::read_symlink("/proc/" + std::to_string(run.pid()) + "/fd/2");
  EXPECT_EQ(stderr_file.filename(), "err");
  run.Resume();
  EXPECT_EQ(run.Wait(), 0) << run.err();
}

}  // namespace
}  // namespace velmora_test
