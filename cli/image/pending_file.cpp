#include "cli/image/pending_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "cli/image/signal_cleanup.h"
#include "cli/report/cli_error.h"
#include "cli/report/test_pause.h"

namespace cli {
namespace {

std::string ErrnoText(int error) {
  return std::strerror(error);
}

// ".NAME.velmora-XXXXXX.EXT", within the 255 bytes a file name may have. The extension stays
// last: writers tell formats by it.
std::filesystem::path TempPathFor(const std::filesystem::path& target, const std::string& tag) {
  constexpr std::size_t kNameMax = 255;
  std::string extension = target.extension().string();
  const std::string middle = ".velmora-" + tag;
  if (1 + middle.size() + extension.size() > kNameMax) extension.clear();
  std::string stem = target.stem().string();
  const std::size_t room = kNameMax - 1 - middle.size() - extension.size();
  if (stem.size() > room) {
    stem.resize(room);
    // Do not leave half of a UTF-8 character at the end.
    while (!stem.empty() && (static_cast<unsigned char>(stem.back()) & 0xC0) == 0x80) {
      stem.pop_back();
    }
    if (!stem.empty() && static_cast<unsigned char>(stem.back()) >= 0xC0) stem.pop_back();
  }
  return target.parent_path() / ("." + stem + middle + extension);
}

constexpr char kTagLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kTagSize = 6;

std::string RandomTag() {
  static std::mutex mutex;
  static std::mt19937_64 generator{std::random_device{}()};
  std::lock_guard lock(mutex);
  std::string tag(kTagSize, ' ');
  for (char& c : tag) c = kTagLetters[generator() % (sizeof kTagLetters - 1)];
  return tag;
}

// A temporary file's name without its random part, or "" for any other name.
std::string WithoutTag(const std::string& name) {
  const std::size_t middle = name.rfind(".velmora-");
  if (name.empty() || name[0] != '.' || middle == std::string::npos) return "";
  const std::size_t tag = middle + std::strlen(".velmora-");
  if (name.size() < tag + kTagSize) return "";
  for (std::size_t i = tag; i < tag + kTagSize; ++i) {
    if (!std::strchr(kTagLetters, name[i]) || name[i] == '\0') return "";
  }
  if (name.size() > tag + kTagSize && name[tag + kTagSize] != '.') return "";
  return name.substr(0, tag) + name.substr(tag + kTagSize);
}

// A descriptor closed with its owner.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) close(fd_);
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Like Linux's fs.protected_symlinks, for every component of an output's path: in a sticky
// world-writable folder (/tmp and the like) a link is followed only when it is the caller's own
// or the folder owner's, so no other user can aim our output at a file or folder of their
// choosing. link is the link's stat, folder the descriptor of the folder holding it.
void CheckLinkOwner(const struct stat& link, int folder, const std::filesystem::path& folder_path,
                    const std::filesystem::path& link_path, bool last, const std::string& shown) {
  struct stat folder_info {};
  if (fstat(folder, &folder_info) != 0) return;
  const bool shared = (folder_info.st_mode & S_ISVTX) && (folder_info.st_mode & S_IWOTH);
  if (shared && link.st_uid != geteuid() && link.st_uid != folder_info.st_uid) {
    throw CliError(shown, std::string(last ? "" : "its folder " + link_path.string() + " ") +
                              "is a link another user made in a shared folder (" +
                              folder_path.string() + "); not writing through it");
  }
}

std::string ReadLinkAt(int folder, const std::string& name, const std::string& shown) {
  std::string text(4096, '\0');
  const ssize_t size = readlinkat(folder, name.c_str(), text.data(), text.size());
  if (size < 0 || static_cast<std::size_t>(size) == text.size()) {
    throw CliError(shown, "cannot write: " + ErrnoText(size < 0 ? errno : ENAMETOOLONG));
  }
  text.resize(static_cast<std::size_t>(size));
  return text;
}

// Where a path leads, walked a component at a time as the kernel walks it, each folder opened
// without following a link and each link checked before it is followed (a folder swapped for a
// link after it was looked at is looked at again).
struct Walk {
  std::filesystem::path file;  // absolute, links resolved (as far as the folders exist)
  bool through_link = false;   // a link was followed on the way
  bool last_is_link = false;   // the file's own name was one (then so is all that follows)
  Descriptor folder;  // the file's folder as reached (O_PATH), or none when the walk stopped
};

Walk WalkPath(const std::filesystem::path& target) {
  const std::string shown = target.string();
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(target, error);
  if (error) throw CliError(shown, "cannot write: " + error.message());
  std::vector<std::filesystem::path> parts;  // still to walk, the next one last
  const auto push = [&parts](const std::filesystem::path& path) {
    const auto at = static_cast<std::ptrdiff_t>(parts.size());
    for (const std::filesystem::path& part : path.relative_path()) {
      parts.insert(parts.begin() + at, part);
    }
  };
  const auto root = [] { return Descriptor(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)); };
  Walk walk{"/", false, false, root()};
  push(absolute);
  int links = 0;  // as the kernel, at most 40 links on one walk
  while (!parts.empty()) {
    const std::filesystem::path part = parts.back();
    parts.pop_back();
    const bool last = parts.empty();
    if (part.empty() || part == ".") continue;
    if (walk.folder.get() < 0) {  // past a folder that is not there: the write will say so
      walk.file /= part;
      continue;
    }
    struct stat info {};
    if (part != ".." && fstatat(walk.folder.get(), part.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(info.st_mode)) {
      if (++links > 40) throw CliError(shown, "cannot write: " + ErrnoText(ELOOP));
      CheckLinkOwner(info, walk.folder.get(), walk.file, walk.file / part, last, shown);
      const std::filesystem::path to = ReadLinkAt(walk.folder.get(), part.string(), shown);
      if (to.is_absolute()) {
        walk.file = "/";
        walk.folder = root();
      }
      push(to);
      walk.through_link = true;
      walk.last_is_link = walk.last_is_link || last;
      continue;
    }
    if (last) {
      walk.file /= part;
      break;
    }
    Descriptor next(openat(walk.folder.get(), part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (next.get() >= 0 && fstat(next.get(), &info) == 0 && S_ISLNK(info.st_mode)) {
      if (++links > 40) throw CliError(shown, "cannot write: " + ErrnoText(ELOOP));
      parts.push_back(part);  // made a link since it was looked at: look again
      continue;
    }
    if (next.get() < 0 || !S_ISDIR(info.st_mode)) next = Descriptor();
    walk.file = part == ".." ? walk.file.parent_path() : walk.file / part;
    walk.folder = std::move(next);
  }
  // A link must lead to something: a new file is never made at the end of one.
  struct stat end {};
  if (walk.last_is_link &&
      (walk.folder.get() < 0 ||
       fstatat(walk.folder.get(), walk.file.filename().c_str(), &end, 0) != 0)) {
    throw CliError(shown, "is a link to nothing; not writing through it");
  }
  return walk;
}

// The file a write to target lands in: target itself when its path holds no link, else the
// end of its links. Throws CliError for a link the shared-folder rule refuses.
std::filesystem::path Resolved(const std::filesystem::path& target) {
  Walk walk = WalkPath(target);
  return walk.through_link ? walk.file : target;
}

// A file read and written by offset through one descriptor it does not own, as OpenImageIO
// reads and writes files.
class DescriptorProxy : public OIIO::Filesystem::IOProxy {
 public:
  DescriptorProxy(int fd, const std::string& name, Mode mode) : IOProxy(name, mode), fd_(fd) {}
  const char* proxytype() const override { return "velmora-descriptor"; }
  size_t read(void* buffer, size_t size) override {
    const size_t count = pread(buffer, size, m_pos);
    m_pos += static_cast<int64_t>(count);
    return count;
  }
  size_t pread(void* buffer, size_t size, int64_t offset) override {
    ssize_t count = 0;
    do {
      count = ::pread(fd_, buffer, size, offset);
    } while (count < 0 && errno == EINTR);
    return count < 0 ? 0 : static_cast<size_t>(count);
  }
  size_t size() const override {
    struct stat info {};
    return fstat(fd_, &info) == 0 ? static_cast<size_t>(info.st_size) : 0;
  }

 protected:
  int fd_;
};

// A stdio copy of a descriptor, as OpenImageIO's readers read files (its JPEG reader takes no
// other kind); it shares the descriptor's file, whose offset nothing else here uses.
class DescriptorFile final : public OIIO::Filesystem::IOFile {
 public:
  explicit DescriptorFile(FILE* file) : IOFile(file, IOProxy::Read) {}
  ~DescriptorFile() override { std::fclose(m_file); }
};

}  // namespace

void CheckReplaceable(const std::filesystem::path& target) {
  const std::filesystem::path file = Resolved(target);
  struct stat info {};
  if (stat(file.c_str(), &info) != 0) {
    if (errno == ENOENT) return;
    throw CliError(target.string(), "cannot write: " + ErrnoText(errno));
  }
  if (S_ISDIR(info.st_mode)) throw CliError(target.string(), "is a folder");
  if (!S_ISREG(info.st_mode)) {
    throw CliError(target.string(), "is not a regular file; not replacing it");
  }
  // No write bit at all marks a file as protected even for a user (root) who could write it.
  if ((info.st_mode & 0222) == 0 || faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0) {
    throw CliError(target.string(), "is write-protected; not replacing it");
  }
}

// The temporary file's writes: checked, and the first failure kept.
class PendingFile::Stream final : public DescriptorProxy {
 public:
  Stream(int fd, const std::string& name) : DescriptorProxy(fd, name, IOProxy::Write) {}

  size_t write(const void* buffer, size_t size) override {
    pwrite(buffer, size, m_pos);
    m_pos += static_cast<int64_t>(size);
    return size;
  }
  size_t pwrite(const void* buffer, size_t size, int64_t offset) override {
    if (error()) return size;
    const char* bytes = static_cast<const char*>(buffer);
    for (size_t done = 0; done < size;) {
      const ssize_t count = ::pwrite(fd_, bytes + done, size - done, offset + done);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) {
        Fail(count < 0 ? errno : EIO);
        return size;
      }
      done += static_cast<size_t>(count);
    }
    PauseIfAsked("mid-write");
    return size;
  }

  int error() const {
    std::lock_guard lock(mutex_);
    return error_;
  }

 private:
  void Fail(int error) {
    std::lock_guard lock(mutex_);
    if (!error_) error_ = error;
  }

  mutable std::mutex mutex_;
  int error_ = 0;
};

PendingFile::PendingFile(std::filesystem::path target) : shown_(target.string()) {
  const Walk walk = WalkPath(target);
  target_ = walk.through_link ? walk.file : target;
  CheckReplaceable(target);
  InstallSignalHandlers();
  // The folder the walk reached, not one found by name again: a folder of the path swapped
  // for a link since the check is not followed.
  const std::filesystem::path folder = target_.has_parent_path() ? target_.parent_path() : ".";
  folder_fd_ = walk.folder.get() >= 0
                   ? openat(walk.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                   : open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd_ < 0) throw CliError(shown_, "cannot write: " + ErrnoText(errno));
  for (int attempt = 0; fd_ < 0; ++attempt) {
    temp_ = TempPathFor(target_, RandomTag());
    const std::string name = temp_.filename().string();
    const int fd =
        openat(folder_fd_, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST && attempt < 100) continue;
    if (fd < 0) {
      const int error = errno;
      close(folder_fd_);
      throw CliError(shown_, "cannot write: " + ErrnoText(error));
    }
    // Held until the file is renamed or removed, so a sweep for abandoned temporary files
    // (AbandonedTemporaries) sees it is in use. One that took the file before this lock was
    // ours has removed it: then make another.
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    if (!SameFile(fd, folder_fd_, name.c_str()) && attempt < 100) {
      close(fd);
      continue;
    }
    fd_ = fd;
  }
  struct stat info {};
  fstat(fd_, &info);
  created_mode_ = info.st_mode & 07777;
  stream_ = std::make_unique<Stream>(fd_, temp_.string());
  slot_ = RemoveOnSignal(folder_fd_, fd_, temp_.filename().string());
  PauseIfAsked("created");
}

PendingFile::~PendingFile() {
  if (!committed_) RemoveIfOurs(folder_fd_, temp_.filename().c_str(), fd_);
  KeepOnSignal(slot_);
  stream_.reset();
  close(fd_);  // and with it the lock, only now that the name is gone
  close(folder_fd_);
}

OIIO::Filesystem::IOProxy& PendingFile::stream() {
  return *stream_;
}

int PendingFile::write_error() const {
  return stream_->error();
}

std::string PendingFile::DescriptorPath() {
  const std::string path = "/proc/self/fd/" + std::to_string(fd_);
  struct stat by_path {};
  struct stat open_file {};
  if (stat(path.c_str(), &by_path) != 0 || fstat(fd_, &open_file) != 0 ||
      by_path.st_dev != open_file.st_dev || by_path.st_ino != open_file.st_ino) {
    throw CliError(shown_,
                   "cannot write: /proc/self/fd, which this format's writer needs, is "
                   "not there");
  }
  // A writer opening the file anew needs its owner's read and write permission, whatever the
  // umask gave; Commit sets the final mode.
  if ((open_file.st_mode & 0600) != 0600) fchmod(fd_, (open_file.st_mode & 07777) | 0600);
  return path;
}

int PendingFile::GrowthError() {
  struct stat info {};
  if (fstat(fd_, &info) != 0) return errno;
  static const std::vector<char> zeros(64 * 1024);
  int error = 0;
  off_t end = info.st_size;
  // A megabyte past the end meets any limit the writer met.
  for (int chunk = 0; chunk < 16 && !error; ++chunk) {
    const ssize_t count = ::pwrite(fd_, zeros.data(), zeros.size(), end);
    if (count < 0 && errno != EINTR) error = errno;
    if (count > 0) end += count;
  }
  if (ftruncate(fd_, info.st_size) != 0 && !error) error = errno;
  return error;
}

std::unique_ptr<OIIO::Filesystem::IOProxy> PendingFile::ReadBack() const {
  const int copy = fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  FILE* file = copy >= 0 ? fdopen(copy, "rb") : nullptr;
  if (!file) {
    if (copy >= 0) close(copy);
    return nullptr;
  }
  return std::make_unique<DescriptorFile>(file);
}

void PendingFile::Commit() {
  const auto fail = [&](const std::string& reason) {
    throw CliError(shown_, "cannot write: " + reason);
  };
  if (const int error = write_error()) fail(ErrnoText(error));
  const std::string name = temp_.filename().string();
  const std::string target_name = target_.filename().string();
  struct stat replaced {};
  const mode_t mode = fstatat(folder_fd_, target_name.c_str(), &replaced, 0) == 0
                          ? replaced.st_mode & 07777
                          : created_mode_;
  if (fchmod(fd_, mode) != 0) fail(ErrnoText(errno));
  if (fsync(fd_) != 0) fail(ErrnoText(errno));
  if (!SameFile(fd_, folder_fd_, name.c_str())) {
    fail("its temporary file " + name + " was replaced by someone else while it was written");
  }
  if (renameat(folder_fd_, name.c_str(), folder_fd_, target_name.c_str()) != 0) {
    fail(ErrnoText(errno));
  }
  committed_ = true;
  KeepOnSignal(std::exchange(slot_, -1));
  // The rename itself reaches the disk with the folder.
  fsync(folder_fd_);
}

void AbandonedTemporaries::RemoveFor(const std::filesystem::path& output) {
  std::filesystem::path target = output;
  try {
    target = Resolved(output);  // temporary files are made beside the file a link leads to
  } catch (const CliError&) {
    return;  // nothing is written there: nothing of ours to find
  }
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  auto [found, first_look] = found_.try_emplace(folder);
  if (first_look) {
    // A folder that cannot be listed (or stops being listable) has nothing more to sweep.
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
      const std::string name = entry->path().filename().string();
      const std::string key = WithoutTag(name);
      if (!key.empty()) found->second[key].push_back(name);
    }
  }
  const auto names =
      found->second.find(WithoutTag(TempPathFor(target, std::string(kTagSize, 'X')).filename()));
  if (names == found->second.end()) return;
  const int folder_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (const std::string& name : names->second) {
    struct stat seen {};
    if (folder_fd < 0 || fstatat(folder_fd, name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(seen.st_mode) || seen.st_uid != geteuid()) {
      continue;
    }
    const int fd = openat(folder_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened {};
    // The lock is free only when the run that made the file is gone.
    if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == geteuid() &&
        flock(fd, LOCK_EX | LOCK_NB) == 0) {
      RemoveIfOurs(folder_fd, name.c_str(), fd);
    }
    close(fd);
  }
  found->second.erase(names);
  if (folder_fd >= 0) close(folder_fd);
}

}  // namespace cli
