#pragma once
// The one kind of failure the tool reports: a single line naming what failed and why.

#include <stdexcept>
#include <string>

namespace cli {

// Exit statuses: 1 when an input, an output or the effect fails, 2 when the command line is wrong.
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

class CliError : public std::runtime_error {
 public:
  // Shown as "velmora: <subject>: <reason>", or "velmora: <reason>" without a subject.
  CliError(const std::string& subject, const std::string& reason, int exit_status = kExitFailure)
      : std::runtime_error(subject.empty() ? reason : subject + ": " + reason),
        exit_status_(exit_status) {}
  int exit_status() const { return exit_status_; }

 private:
  int exit_status_;
};

// Text the user gave, for a message: a long value (a whole file pasted into a preset) shows as
// its first few dozen bytes.
std::string Excerpt(const std::string& text);
std::string Quoted(const std::string& text);  // the excerpt in single quotes

}  // namespace cli
