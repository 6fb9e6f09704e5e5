#pragma once
// An output written under a temporary name in the target's folder and renamed into place only
// when complete, so the target is never seen half-written. The temporary file is removed when
// the write is abandoned, and also when the process is stopped by SIGINT, SIGTERM or SIGHUP.

#include <filesystem>

namespace cli {

class PendingFile {
 public:
  explicit PendingFile(std::filesystem::path target);
  ~PendingFile();  // removes the temporary file unless committed
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Where to write: beside the target, same extension, hidden name.
  const std::filesystem::path& temp_path() const { return temp_; }
  // Renames the temporary file over the target; throws CliError on failure.
  void Commit();

 private:
  std::filesystem::path target_;
  std::filesystem::path temp_;
  bool committed_ = false;
};

}  // namespace cli
