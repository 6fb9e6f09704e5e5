#include "cli/report/test_pause.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

namespace cli {
namespace {

bool Asked(std::string_view point) {
  static const char* const asked = std::getenv("VELMORA_TEST_PAUSE_AT");
  return asked && point == asked;
}

// Says the thread waits (<resume>.waiting), then waits until <resume> exists or `released`.
void Hold(const char* resume, const std::function<bool()>& released) {
  const std::string waiting = std::string(resume) + ".waiting";
  close(open(waiting.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  while (access(resume, F_OK) != 0 && !(released && released())) {
    const timespec step{0, 10'000'000};
    nanosleep(&step, nullptr);
  }
}

}  // namespace

void PauseIfAsked(std::string_view point) {
  if (!Asked(point)) return;
  static const char* const resume = std::getenv("VELMORA_TEST_RESUME_FILE");
  if (!resume) {
    for (;;) pause();
  }
  Hold(resume, nullptr);
}

void PauseFirstIfAsked(std::string_view point, const std::function<bool()>& released) {
  static std::atomic<bool> held{false};
  if (!Asked(point) || held.exchange(true)) return;
  static const char* const resume = std::getenv("VELMORA_TEST_RESUME_FILE");
  if (!resume) {
    while (!released()) {
      const timespec step{0, 10'000'000};
      nanosleep(&step, nullptr);
    }
    return;
  }
  Hold(resume, released);
}

}  // namespace cli
