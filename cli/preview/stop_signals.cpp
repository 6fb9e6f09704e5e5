#include "cli/preview/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>

namespace cli::preview {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM};

volatile std::sig_atomic_t write_fd = -1;
struct sigaction earlier[2];

void OnStopSignal(int) {
  const int saved = errno;
  const char byte = 1;
  if (write_fd >= 0) [[maybe_unused]]
    const auto written = write(write_fd, &byte, 1);
  errno = saved;
}

}  // namespace

StopOnSignal::StopOnSignal(std::function<void()> stop) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    throw std::runtime_error(std::string("cannot watch for Ctrl-C: ") + std::strerror(errno));
  }
  read_fd_ = fds[0];
  write_fd = fds[1];
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 2; ++i) sigaction(kStopSignals[i], &action, &earlier[i]);
  watcher_ = std::thread([this, stop = std::move(stop)] {
    char byte = 0;
    ssize_t got;
    while ((got = read(read_fd_, &byte, 1)) < 0 && errno == EINTR) {
    }
    if (got == 1) {
      signalled_ = true;
      stop();
    }
  });
}

StopOnSignal::~StopOnSignal() {
  for (int i = 0; i < 2; ++i) sigaction(kStopSignals[i], &earlier[i], nullptr);
  const int fd = write_fd;
  write_fd = -1;
  close(fd);  // the watcher reads the end of the pipe, unless a signal came first
  watcher_.join();
  close(read_fd_);
}

}  // namespace cli::preview
