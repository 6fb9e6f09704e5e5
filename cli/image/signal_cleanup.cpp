#include "cli/image/signal_cleanup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>
#include <vector>

namespace cli {
namespace {

// The temporary files in progress, for the signal handler: fixed entries, since a handler may
// only call async-signal-safe functions (fstat, unlinkat) and touch lock-free atomics.
enum SlotState : int { kFree, kFilling, kLive };

struct TempSlot {
  std::atomic<int> state{kFree};
  int folder_fd = -1;
  int fd = -1;
  char name[256] = {};  // a file name, at most 255 bytes
};
static_assert(std::atomic<int>::is_always_lock_free);
TempSlot g_slots[16];

// Removes the temporary files, then lets the signal end the process as it would have without
// us (SA_RESETHAND restored the default action), so a calling shell sees the signal.
extern "C" void RemoveTempsAndReraise(int signal_number) {
  const int saved_errno = errno;
  for (TempSlot& slot : g_slots) {
    if (slot.state.load() == kLive) RemoveIfOurs(slot.folder_fd, slot.name, slot.fd);
  }
  errno = saved_errno;
  raise(signal_number);
}

// Every signal whose default action ends the process (as signal(7) lists them).
std::vector<int> EndingSignals() {
  std::vector<int> signals = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,    SIGTRAP, SIGABRT, SIGBUS,
                              SIGFPE,  SIGUSR1, SIGSEGV, SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM,
                              SIGXCPU, SIGIO,   SIGSYS,  SIGVTALRM, SIGPROF};
#ifdef SIGSTKFLT
  signals.push_back(SIGSTKFLT);
#endif
#ifdef SIGPWR
  signals.push_back(SIGPWR);
#endif
  for (int signal_number = SIGRTMIN; signal_number <= SIGRTMAX; ++signal_number) {
    signals.push_back(signal_number);
  }
  return signals;
}

}  // namespace

bool SameFile(int fd, int folder_fd, const char* name) {
  struct stat open_file {};
  struct stat named {};
  return fstat(fd, &open_file) == 0 && fstatat(folder_fd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         open_file.st_dev == named.st_dev && open_file.st_ino == named.st_ino;
}

// Removes name only while it is the file open as fd: whatever someone put in its place is not
// ours to remove. Async-signal-safe.
void RemoveIfOurs(int folder_fd, const char* name, int fd) {
  if (SameFile(fd, folder_fd, name)) unlinkat(folder_fd, name, 0);
}

int RemoveOnSignal(int folder_fd, int fd, const std::string& name) {
  for (int index = 0; index < static_cast<int>(std::size(g_slots)); ++index) {
    TempSlot& slot = g_slots[index];
    int expected = kFree;
    if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
    slot.folder_fd = folder_fd;
    slot.fd = fd;
    std::memcpy(slot.name, name.c_str(), name.size() + 1);
    slot.state.store(kLive);
    return index;
  }
  return -1;  // more files at once than the table holds: the rest are not cleaned on a signal
}

void KeepOnSignal(int index) {
  if (index >= 0) g_slots[index].state.store(kFree);
}

void InstallSignalHandlers() {
  static const bool installed = [] {
    for (int signal_number : EndingSignals()) {
      // Only signals still at their default: an ignored one (nohup, a farm's wrapper) stays
      // ignored, and a handler someone else installed (a sanitizer's report) keeps its job.
      struct sigaction current {};
      if (sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) {
        continue;
      }
      struct sigaction action {};
      action.sa_handler = RemoveTempsAndReraise;
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

}  // namespace cli
