#pragma once
// What the image codecs say, made fit for the tool's one-line reports.

#include <string>

namespace cli {

// "what (the codec's message on one line)", or words of ours when the codec gave none.
std::string CodecReason(const std::string& what, const std::string& message);

// Codecs such as libpng print their own complaints on stderr; while one of these lives,
// stderr goes nowhere, so the tool's report stays one line.
class SilencedStderr {
 public:
  SilencedStderr();
  ~SilencedStderr();
  SilencedStderr(const SilencedStderr&) = delete;
  SilencedStderr& operator=(const SilencedStderr&) = delete;

 private:
  int saved_;
};

}  // namespace cli
