#include "cli/report/warnings.h"

#include <iostream>
#include <mutex>
#include <set>

#include "cli/report/cli_error.h"
#include "cli/report/codec_messages.h"

namespace cli {

void WarnOnce(const std::string& kind, const std::string& text) {
  static std::mutex mutex;
  static std::set<std::string> given;
  std::lock_guard lock(mutex);
  if (!given.insert(kind).second) return;
  const auto stderr_lock = LockStderr();
  std::cerr << "velmora: warning: " << OneLine(text) << "\n" << std::flush;
}

}  // namespace cli
