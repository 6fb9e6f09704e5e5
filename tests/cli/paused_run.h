#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/cli_runner.h"

namespace velmora_test {

// A velmora run stopped at one of its test pause points (VELMORA_TEST_PAUSE_AT) until Resume,
// with every signal at its default action except those the caller asks to be ignored.
class PausedRun {
 public:
  PausedRun(const std::vector<std::string>& args, const std::string& point,
            const std::vector<int>& ignored = {});
  ~PausedRun();
  PausedRun(const PausedRun&) = delete;
  PausedRun& operator=(const PausedRun&) = delete;

  // Whether the run reached its pause point (false: it ended first, or never got there).
  bool Paused();
  void Signal(int signal_number);
  pid_t pid() const { return pid_; }
  void Resume();
  std::string err() const;
  // The wait status of the ended run.
  int Wait();

 private:
  std::filesystem::path resume_file() const { return handshake_ / "resume"; }

  ScratchFolder handshake_;
  pid_t pid_ = -1;
  int status_ = 0;
};

}  // namespace velmora_test
