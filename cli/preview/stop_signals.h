#pragma once
// Ctrl-C (SIGINT) and SIGTERM as a request to stop: the handler only writes a byte to a pipe,
// and a thread of its own calls stop, so a server can close its connections and the effect
// can be set down as usual, whichever thread the signal interrupted.

#include <atomic>
#include <functional>
#include <thread>

namespace cli::preview {

class StopOnSignal {
 public:
  // Takes over SIGINT and SIGTERM for this object's life (one at a time per process).
  explicit StopOnSignal(std::function<void()> stop);
  ~StopOnSignal();  // gives the signals back to their earlier handlers
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;

  bool signalled() const { return signalled_; }

 private:
  int read_fd_ = -1;
  std::atomic<bool> signalled_{false};
  std::thread watcher_;
};

}  // namespace cli::preview
