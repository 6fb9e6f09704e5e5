// The temporary file an output is written to: created by this process alone, whatever another
// user planted in the output's folder, and named within the length a file name may have.

#include "cli/pending_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "cli/cli_error.h"

namespace cli {
namespace {

std::string Bytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class PendingFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-pf-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

TEST_F(PendingFileTest, APlantedLinkNeverRedirectsTheWrite) {
  const auto victim = folder_ / "victim";
  std::ofstream(victim) << "precious";
  // A link at the name a predictable scheme (dot, name, pid) would use for this process.
  std::filesystem::create_symlink(
      victim, folder_ / (".out.velmora-tmp-" + std::to_string(getpid()) + ".png"));
  {
    PendingFile pending(folder_ / "out.png");
    EXPECT_FALSE(std::filesystem::is_symlink(pending.temp_path()));
    EXPECT_EQ(pending.temp_path().parent_path(), folder_);
    std::ofstream(pending.temp_path(), std::ios::binary) << "new image";
    pending.Commit();
  }
  EXPECT_EQ(Bytes(victim), "precious");
  EXPECT_EQ(Bytes(folder_ / "out.png"), "new image");
}

TEST_F(PendingFileTest, StreamWritesLandAndAnAbandonedFileIsRemoved) {
  {
    PendingFile pending(folder_ / "out.exr");
    auto& stream = pending.stream();
    stream.write("abcdef", 6);
    stream.pwrite("XY", 2, 1);
    EXPECT_EQ(stream.size(), 6u);
    pending.Commit();
  }
  EXPECT_EQ(Bytes(folder_ / "out.exr"), "aXYdef");
  {
    PendingFile abandoned(folder_ / "other.exr");
    abandoned.stream().write("half", 4);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(PendingFileTest, TemporaryNamesStayWithinTheNameLimit) {
  for (const std::string& name :
       {std::string(251, 'n') + ".png", std::string(200, 'n') + "." + std::string(54, 'e'),
        std::string(120, '\xCE') + "\xA9.exr"}) {
    SCOPED_TRACE(name.size());
    PendingFile pending(folder_ / name);
    EXPECT_LE(pending.temp_path().filename().string().size(), 255u);
    EXPECT_TRUE(std::filesystem::exists(pending.temp_path()));
  }
}

}  // namespace
}  // namespace cli
