#pragma once
// An output written under a temporary name in the target's folder and renamed into place only
// when complete, so the target is never seen half-written. The temporary file is created
// exclusively (never through a link someone planted) and from then on reached only through the
// one descriptor that created it, never again by name. It is removed when the write is
// abandoned, and also when the process is ended by any signal whose default is to end it.
// Every write, the flush to disk and the rename are checked; a file size limit (SIGXFSZ) is a
// write failure like any other.

#include <OpenImageIO/filesystem.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace cli {

// Throws CliError unless target may be replaced: it does not exist, or it is a regular file
// (or a link to one) that is not write-protected; and no link on its way, the file's own or
// any folder's, was made by another user in a shared (sticky, world-writable) folder.
void CheckReplaceable(const std::filesystem::path& target);

class PendingFile {
 public:
  // A target that is a symbolic link is written through: its final target is replaced, unless
  // the link, or a link in place of any folder on the way, was planted by another user in a
  // shared (sticky, world-writable) folder.
  // Throws CliError when the target may not be replaced or the temporary file cannot be made.
  explicit PendingFile(std::filesystem::path target);
  ~PendingFile();  // removes the temporary file unless committed
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Where the bytes go: beside the (resolved) target, same extension, hidden name. For
  // messages and for writers that tell formats by name; never opened by this name.
  const std::filesystem::path& temp_path() const { return temp_; }
  // The target as the user named it, for messages.
  const std::string& shown() const { return shown_; }

  // The temporary file as an OpenImageIO stream. Writes to it never fail as the writer sees
  // them (a codec meeting a failed write may end the process); the first failure is kept.
  OIIO::Filesystem::IOProxy& stream();
  // The first failed write through stream(), as an errno value, or 0.
  int write_error() const;
  // A name for the temporary file's descriptor ("/proc/self/fd/N"), for a writer that can only
  // open a file by name: it reaches this descriptor's file whatever now holds the temporary
  // name. Throws CliError when the system gives no such names.
  std::string DescriptorPath();
  // Why the temporary file cannot grow (ENOSPC, EFBIG, EDQUOT), or 0: asked of the file system
  // after a writer that writes by itself failed without saying why.
  int GrowthError();
  // The temporary file as written so far, to read back through the same descriptor; null when
  // the system has no descriptor to spare.
  std::unique_ptr<OIIO::Filesystem::IOProxy> ReadBack() const;

  // Flushes the temporary file to disk, gives it the replaced file's mode and renames it over
  // the target; throws CliError naming the target and the first failure.
  void Commit();

 private:
  class Stream;

  std::string shown_;             // the target as the user named it, for messages
  std::filesystem::path target_;  // the file to replace, links resolved
  std::filesystem::path temp_;
  int folder_fd_ = -1;  // the folder of both, so the rename lands where the file was made
  int fd_ = -1;         // the temporary file, locked (flock) from creation to rename
  unsigned created_mode_ = 0;
  int slot_ = -1;  // its entry in the table the signal handler cleans up
  std::unique_ptr<Stream> stream_;
  bool committed_ = false;
};

// Temporary files left by runs that were killed outright (SIGKILL, a crash, a power cut) and so
// could not remove them. A live run holds a lock on its temporary file; a file whose lock is
// free belongs to no one and is removed. Only regular files of this user are touched.
class AbandonedTemporaries {
 public:
  // Removes the abandoned temporary files of output, as found the first time its folder is
  // looked at (files made later belong to runs started later).
  void RemoveFor(const std::filesystem::path& output);

 private:
  // folder -> name without its random part -> temporary file names
  std::map<std::filesystem::path, std::map<std::string, std::vector<std::string>>> found_;
};

}  // namespace cli
