#include "cli/report/test_pause.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace cli {

void PauseIfAsked(std::string_view point) {
  static const char* const asked = std::getenv("VELMORA_TEST_PAUSE_AT");
  if (!asked || point != asked) return;
  static const char* const resume = std::getenv("VELMORA_TEST_RESUME_FILE");
  if (!resume) {
    for (;;) pause();
  }
  const std::string waiting = std::string(resume) + ".waiting";
  close(open(waiting.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  while (access(resume, F_OK) != 0) {
    const timespec step{0, 10'000'000};
    nanosleep(&step, nullptr);
  }
}

}  // namespace cli
