#pragma once
// What the tool says while it renders: a progress bar on stderr when stderr is a terminal
// (frames done, rate, time left), a line per frame with --verbose, nothing with --quiet.

#include <chrono>
#include <mutex>
#include <string>

namespace cli {

enum class Verbosity { kQuiet, kNormal, kVerbose };

class Progress {
 public:
  Progress(long total_frames, Verbosity verbosity);
  ~Progress();  // ends the bar's line

  bool shows_bar() const { return bar_; }
  // Progress inside the frame being rendered, as the host's progress callback reports it.
  // Safe to call from another thread than FrameDone.
  void WithinFrame(long current, long total);
  void FrameDone(const std::string& output, const std::string& details);
  // A frame that failed: its message, on a line of its own whatever the verbosity.
  void FrameFailed(const std::string& message);

 private:
  void Draw(double frames_done);

  std::mutex mutex_;
  long total_frames_;
  long frames_done_ = 0;
  Verbosity verbosity_;
  bool bar_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace cli
