#include "cli/codec_messages.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace cli {

std::string CodecReason(const std::string& what, const std::string& message) {
  std::string line = message;
  std::replace(line.begin(), line.end(), '\n', ' ');
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line.empty() ? what + " (the reader gave no reason)" : what + " (" + line + ")";
}

std::unique_lock<std::recursive_mutex> LockStderr() {
  static std::recursive_mutex mutex;
  return std::unique_lock(mutex);
}

SilencedStderr::SilencedStderr() : lock_(LockStderr()), saved_(dup(STDERR_FILENO)) {
  std::fflush(stderr);
  const int null = open("/dev/null", O_WRONLY);
  if (null >= 0) {
    dup2(null, STDERR_FILENO);
    close(null);
  }
}

SilencedStderr::~SilencedStderr() {
  std::fflush(stderr);
  if (saved_ >= 0) {
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
}

}  // namespace cli
