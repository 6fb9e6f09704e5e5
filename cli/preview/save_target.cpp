#include "cli/preview/save_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "cli/image/pending_file.h"
#include "cli/report/cli_error.h"

namespace cli::preview {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

void CheckSaveTarget(const std::filesystem::path& target,
                     const std::vector<std::filesystem::path>& inputs) {
  if (target.empty()) throw CliError("--save-as", "an empty file name", kExitUsage);
  const std::string shown = target.string();
  struct stat info {};
  const bool exists = stat(target.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) {
    throw CliError(shown, "is a directory (give a file name for the preset)", kExitUsage);
  }
  if (exists && !S_ISREG(info.st_mode)) {
    throw CliError(shown, "is not a regular file (give a file name for the preset)", kExitUsage);
  }
  if (target.extension() == ".json") {
    throw CliError(shown, "Save preset writes TOML, which --preset reads under a .toml name",
                   kExitUsage);
  }
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  if (!std::filesystem::is_directory(folder)) {
    throw CliError(shown, "no such folder " + folder.string());
  }
  if (exists) {
    for (const std::filesystem::path& input : inputs) {
      struct stat other {};
      if (stat(input.c_str(), &other) == 0 && SameFile(info, other)) {
        throw CliError(shown, "refusing to write over an input file", kExitUsage);
      }
    }
  }
  CheckReplaceable(target);
  // The preset is written beside its name and renamed into place, so the folder itself must
  // take a new file.
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    throw CliError(shown, "cannot write in " + folder.string() + ": " + std::strerror(errno));
  }
}

}  // namespace cli::preview
