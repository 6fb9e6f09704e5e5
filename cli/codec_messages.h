#pragma once
// What the image codecs say, made fit for the tool's one-line reports.

#include <mutex>
#include <string>

namespace cli {

// "what (the codec's message on one line)", or words of ours when the codec gave none.
std::string CodecReason(const std::string& what, const std::string& message);

// Held while the tool prints to stderr. Frames are read and written on other threads than
// the one printing; the lock keeps a message from going into a silenced stderr and two
// silencers from restoring it out of turn.
std::unique_lock<std::recursive_mutex> LockStderr();

// Codecs such as libpng print their own complaints on stderr; while one of these lives,
// stderr goes nowhere, so the tool's report stays one line.
class SilencedStderr {
 public:
  SilencedStderr();
  ~SilencedStderr();
  SilencedStderr(const SilencedStderr&) = delete;
  SilencedStderr& operator=(const SilencedStderr&) = delete;

 private:
  std::unique_lock<std::recursive_mutex> lock_;
  int saved_;
};

}  // namespace cli
