#pragma once
// An output written under a temporary name in the target's folder and renamed into place only
// when complete, so the target is never seen half-written. The temporary file is created
// exclusively (never through a link someone planted) and removed when the write is abandoned,
// and also when the process is stopped by SIGINT, SIGTERM or SIGHUP. Every write, the flush to
// disk and the close are checked; a file size limit (SIGXFSZ) is a write failure like any other.

#include <OpenImageIO/filesystem.h>

#include <filesystem>
#include <memory>

namespace cli {

// Throws CliError unless target may be replaced: it does not exist, or it is a regular file
// (or a link to one) that is not write-protected.
void CheckReplaceable(const std::filesystem::path& target);

class PendingFile {
 public:
  // A target that is a symbolic link is written through: its final target is replaced.
  // Throws CliError when the target may not be replaced or the temporary file cannot be made.
  explicit PendingFile(std::filesystem::path target);
  ~PendingFile();  // removes the temporary file unless committed
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Where the bytes go: beside the (resolved) target, same extension, hidden name.
  const std::filesystem::path& temp_path() const { return temp_; }
  // The temporary file as an OpenImageIO stream. Writes to it never fail as the writer sees
  // them (a codec meeting a failed write may end the process); the first failure is kept and
  // reported by Commit.
  OIIO::Filesystem::IOProxy& stream();
  // Flushes the temporary file to disk, gives it the replaced file's mode and renames it over
  // the target; throws CliError naming the target and the first failure.
  void Commit();

 private:
  class Stream;

  std::string shown_;             // the target as the user named it, for messages
  std::filesystem::path target_;  // the file to replace, links resolved
  std::filesystem::path temp_;
  std::unique_ptr<Stream> stream_;
  bool committed_ = false;
};

}  // namespace cli
