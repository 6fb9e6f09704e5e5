#pragma once
// The one kind of failure every front-end reports: a single line naming what failed and why,
// and whether the caller asked for something wrong (usage) or the work itself failed.

#include <stdexcept>
#include <string>

namespace velmora::engine {

// What a failure means to the caller, as the command's exit status: 1 when an input, an output
// or the effect fails, 2 when what was asked is wrong (a flag, a control's value).
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A file name for a message: as it is, or, when it holds control characters (a newline would
// forge a second message line), in single quotes with those characters escaped ('a\nb.png').
std::string ShownName(const std::string& name);

// A message made safe for one line of a terminal: control characters escaped as in ShownName.
std::string OneLine(const std::string& message);

class Error : public std::runtime_error {
 public:
  // Shown as "velmora: <subject>: <reason>", or "velmora: <reason>" without a subject. The
  // subject (a file name, usually) is shown by ShownName.
  Error(const std::string& subject, const std::string& reason, int exit_status = kExitFailure)
      : std::runtime_error(subject.empty() ? reason : ShownName(subject) + ": " + reason),
        exit_status_(exit_status) {}
  int exit_status() const { return exit_status_; }

 private:
  int exit_status_;
};

// Text the user gave, for a message: a long value (a whole file pasted into a preset) shows as
// its first few dozen bytes.
std::string Excerpt(const std::string& text);
std::string Quoted(const std::string& text);  // the excerpt in single quotes

}  // namespace velmora::engine
