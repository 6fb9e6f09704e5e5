#include "cli/report/progress.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "cli/report/cli_error.h"
#include "cli/report/codec_messages.h"

namespace cli {
namespace {

std::string Clock(double seconds) {
  const long whole = std::lround(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

}  // namespace

Progress::Progress(long total_frames, Verbosity verbosity)
    : total_frames_(total_frames),
      verbosity_(verbosity),
      bar_(verbosity != Verbosity::kQuiet && isatty(STDERR_FILENO)) {}

Progress::~Progress() {
  const auto stderr_lock = LockStderr();
  if (drawn_) std::fputc('\n', stderr);
}

void Progress::WithinFrame(long current, long total) {
  // A finished count is left over from the previous frame until the next one reports.
  if (!bar_ || total <= 0 || current >= total) return;
  std::lock_guard lock(mutex_);
  // The host may report often; a terminal needs a few updates a second.
  const auto now = std::chrono::steady_clock::now();
  if (now - last_draw_ < std::chrono::milliseconds(100)) return;
  Draw(frames_done_ + static_cast<double>(current) / static_cast<double>(total));
}

void Progress::FrameDone(const std::string& output, const std::string& details) {
  std::lock_guard lock(mutex_);
  const auto stderr_lock = LockStderr();
  ++frames_done_;
  if (verbosity_ == Verbosity::kVerbose) {
    if (drawn_) std::fputs("\r\033[K", stderr);
    std::fprintf(stderr, "velmora: wrote %s (%s)\n", ShownName(output).c_str(), details.c_str());
  }
  if (bar_) Draw(static_cast<double>(frames_done_));
}

void Progress::FrameFailed(const std::string& message) {
  std::lock_guard lock(mutex_);
  const auto stderr_lock = LockStderr();
  ++frames_done_;
  if (drawn_) std::fputs("\r\033[K", stderr);
  std::fprintf(stderr, "velmora: %s\n", OneLine(message).c_str());
  if (bar_) Draw(static_cast<double>(frames_done_));
}

void Progress::Draw(double frames_done) {
  constexpr int kWidth = 30;
  const auto stderr_lock = LockStderr();
  last_draw_ = std::chrono::steady_clock::now();
  const double elapsed = std::chrono::duration<double>(last_draw_ - start_).count();
  const double fraction = total_frames_ > 0 ? frames_done / total_frames_ : 1.0;
  const int filled = static_cast<int>(fraction * kWidth);
  const double rate = elapsed > 0.0 ? frames_done / elapsed : 0.0;
  const std::string left = rate > 0.0 ? Clock((total_frames_ - frames_done) / rate) : "--:--";
  std::fprintf(stderr, "\r[%s%s] %ld/%ld frames  %.2f fps  %s left\033[K",
               std::string(filled, '#').c_str(), std::string(kWidth - filled, '.').c_str(),
               static_cast<long>(frames_done), total_frames_, rate, left.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace cli
