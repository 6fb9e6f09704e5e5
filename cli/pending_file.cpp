#include "cli/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <random>
#include <string>

#include "cli/cli_error.h"

namespace cli {
namespace {

// The temporary file in progress, for the signal handler: a fixed buffer, since a handler
// may only call async-signal-safe functions such as unlink.
char g_temp_in_progress[4096];
volatile std::sig_atomic_t g_has_temp = 0;

// Removes the temporary file, then lets the signal end the process as it would have without
// us (SA_RESETHAND restored the default action), so a calling shell sees the signal.
extern "C" void RemoveTempAndReraise(int signal_number) {
  if (g_has_temp) unlink(g_temp_in_progress);
  raise(signal_number);
}

void InstallSignalHandlers() {
  static const bool installed = [] {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction current {};
      sigaction(signal_number, nullptr, &current);
      if (current.sa_handler == SIG_IGN) continue;  // nohup and friends keep their word
      struct sigaction action {};
      action.sa_handler = RemoveTempAndReraise;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_RESETHAND;
      sigaction(signal_number, &action, nullptr);
    }
    // Past a file size limit, write() then fails with EFBIG and is reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)installed;
}

// For tests that stop a run at a known moment: VELMORA_TEST_PAUSE_AT=<point> makes the
// process wait there for a signal, forever.
void PauseIfAsked(const char* point) {
  static const char* const asked = std::getenv("VELMORA_TEST_PAUSE_AT");
  if (asked && std::strcmp(asked, point) == 0) {
    for (;;) pause();
  }
}

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

std::string RandomTag() {
  static std::mt19937_64 generator{std::random_device{}()};
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string tag(6, ' ');
  for (char& c : tag) c = kLetters[generator() % (sizeof kLetters - 1)];
  return tag;
}

// The file a write to target lands in: target itself, or the end of its chain of links.
std::filesystem::path Resolved(const std::filesystem::path& target) {
  std::error_code error;
  if (!std::filesystem::is_symlink(target, error)) return target;
  const auto resolved = std::filesystem::canonical(target, error);
  if (error) throw CliError(target.string(), "is a link to nothing; not writing through it");
  return resolved;
}

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

// The temporary file's descriptor behind OpenImageIO's stream interface.
class PendingFile::Stream final : public OIIO::Filesystem::IOProxy {
 public:
  Stream(int fd, const std::string& name) : IOProxy(name, IOProxy::Write), fd_(fd) {}
  ~Stream() override {
    if (fd_ >= 0) ::close(fd_);
  }
  const char* proxytype() const override { return "velmora-pending"; }

  size_t write(const void* buffer, size_t size) override {
    pwrite(buffer, size, m_pos);
    m_pos += static_cast<int64_t>(size);
    return size;
  }
  size_t pwrite(const void* buffer, size_t size, int64_t offset) override {
    if (failed()) return size;
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

  // Sets the mode (when one is given), flushes to disk and closes; the first error, or 0.
  int Finish(std::optional<mode_t> mode) {
    if (mode && fchmod(fd_, *mode) != 0) Fail(errno);
    if (fsync(fd_) != 0) Fail(errno);
    if (::close(fd_) != 0) Fail(errno);
    fd_ = -1;
    std::lock_guard lock(mutex_);
    return error_;
  }

 private:
  bool failed() {
    std::lock_guard lock(mutex_);
    return error_ != 0;
  }
  void Fail(int error) {
    std::lock_guard lock(mutex_);
    if (!error_) error_ = error;
  }

  int fd_;
  std::mutex mutex_;
  int error_ = 0;
};

PendingFile::PendingFile(std::filesystem::path target)
    : shown_(target.string()), target_(Resolved(target)) {
  CheckReplaceable(target);
  InstallSignalHandlers();
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    temp_ = TempPathFor(target_, RandomTag());
    fd = open(temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && (errno != EEXIST || attempt == 100)) {
      throw CliError(shown_, "cannot write: " + ErrnoText(errno));
    }
  }
  stream_ = std::make_unique<Stream>(fd, temp_.string());
  const std::string text = temp_.string();
  if (text.size() < sizeof(g_temp_in_progress)) {
    g_has_temp = 0;
    std::memcpy(g_temp_in_progress, text.c_str(), text.size() + 1);
    g_has_temp = 1;
  }
}

PendingFile::~PendingFile() {
  g_has_temp = 0;
  stream_.reset();
  if (!committed_) unlink(temp_.c_str());
}

OIIO::Filesystem::IOProxy& PendingFile::stream() {
  return *stream_;
}

void PendingFile::Commit() {
  std::optional<mode_t> mode;
  struct stat replaced {};
  if (stat(target_.c_str(), &replaced) == 0) mode = replaced.st_mode & 07777;
  if (const int error = stream_->Finish(mode)) {
    throw CliError(shown_, "cannot write: " + ErrnoText(error));
  }
  if (rename(temp_.c_str(), target_.c_str()) != 0) {
    throw CliError(shown_, "cannot write: " + ErrnoText(errno));
  }
  committed_ = true;
  g_has_temp = 0;
  // The rename itself reaches the disk with the folder.
  const std::filesystem::path folder = target_.has_parent_path() ? target_.parent_path() : ".";
  const int folder_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    fsync(folder_fd);
    close(folder_fd);
  }
}

}  // namespace cli
