// The temporary file an output is written to: created by this process alone, whatever another
// user planted in the output's folder, and named within the length a file name may have.

#include "cli/image/pending_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "cli/report/cli_error.h"
#include "tests/cli/cli_runner.h"

namespace cli {
namespace {

using velmora_test::ReadBytes;
using velmora_test::ScratchFolder;

TEST(PendingFile, APlantedLinkNeverRedirectsTheWrite) {
  ScratchFolder folder;
  const auto victim = folder / "victim";
  std::ofstream(victim) << "precious";
  // A link at the name a predictable scheme (dot, name, pid) would use for this process.
  std::filesystem::create_symlink(
      victim, folder / (".out.velmora-tmp-" + std::to_string(getpid()) + ".png"));
  {
    PendingFile pending(folder / "out.png");
    EXPECT_FALSE(std::filesystem::is_symlink(pending.temp_path()));
    EXPECT_EQ(pending.temp_path().parent_path(), folder.path());
    std::ofstream(pending.temp_path(), std::ios::binary) << "new image";
    pending.Commit();
  }
  EXPECT_EQ(ReadBytes(victim), "precious");
  EXPECT_EQ(ReadBytes(folder / "out.png"), "new image");
}

TEST(PendingFile, ATemporaryFileSwappedForALinkIsNeitherWrittenThroughNorRenamed) {
  ScratchFolder folder;
  const auto victim = folder / "victim";
  std::ofstream(victim) << "precious";
  {
    PendingFile pending(folder / "out.exr");
    std::filesystem::create_symlink(victim, folder / "planted");
    std::filesystem::rename(folder / "planted", pending.temp_path());
    pending.stream().write("new image", 9);
    EXPECT_THROW(pending.Commit(), CliError);
    // The file made and written is still there to read, through its descriptor alone.
    auto written = pending.ReadBack();
    ASSERT_TRUE(written);
    char text[9] = {};
    EXPECT_EQ(written->pread(text, sizeof text, 0), sizeof text);
    EXPECT_EQ(std::string(text, sizeof text), "new image");
  }
  EXPECT_EQ(ReadBytes(victim), "precious");
  EXPECT_FALSE(std::filesystem::exists(folder / "out.exr"));
}

TEST(PendingFile, StreamWritesLandAndAnAbandonedFileIsRemoved) {
  ScratchFolder folder;
  {
    PendingFile pending(folder / "out.exr");
    auto& stream = pending.stream();
    stream.write("abcdef", 6);
    stream.pwrite("XY", 2, 1);
    EXPECT_EQ(stream.size(), 6u);
    pending.Commit();
  }
  EXPECT_EQ(ReadBytes(folder / "out.exr"), "aXYdef");
  {
    PendingFile abandoned(folder / "other.exr");
    abandoned.stream().write("half", 4);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(PendingFile, TemporaryNamesStayWithinTheNameLimit) {
  ScratchFolder folder;
  for (const std::string& name :
       {std::string(251, 'n') + ".png", std::string(200, 'n') + "." + std::string(54, 'e'),
        std::string(120, '\xCE') + "\xA9.exr"}) {
    SCOPED_TRACE(name.size());
    PendingFile pending(folder / name);
    EXPECT_LE(pending.temp_path().filename().string().size(), 255u);
    EXPECT_TRUE(std::filesystem::exists(pending.temp_path()));
  }
}

}  // namespace
}  // namespace cli
