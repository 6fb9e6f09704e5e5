#include "cli/frame_pattern.h"

#include <cstdio>
#include <regex>

#include "cli/cli_error.h"

namespace cli {

std::optional<FramePattern> FramePattern::Find(const std::filesystem::path& path) {
  static const std::regex pattern(R"(#+|%(0?\d+)?d)");
  const std::string name = path.filename().string();
  const std::sregex_iterator first(name.begin(), name.end(), pattern);
  const std::sregex_iterator end;
  const auto count = std::distance(first, end);
  if (count == 0) return std::nullopt;
  if (count > 1) {
    throw CliError(path.string(), "more than one frame-number pattern in the file name",
                   kExitUsage);
  }
  const std::smatch& match = *first;
  FramePattern result;
  const std::string folder = path.has_parent_path() ? path.parent_path().string() + "/" : "";
  result.before_ = folder + match.prefix().str();
  result.after_ = match.suffix().str();
  const std::string token = match.str();
  result.width_ = token[0] == '#' ? static_cast<int>(token.size())
                                  : (match[1].matched ? std::stoi(match[1].str()) : 0);
  return result;
}

std::filesystem::path FramePattern::FramePath(long frame) const {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%0*ld", width_, frame);
  return before_ + digits + after_;
}

FrameRange ParseFrameRange(const std::string& text) {
  static const std::regex range(R"((-?\d{1,9})(?:-(-?\d{1,9}))?)");
  std::smatch match;
  if (!std::regex_match(text, match, range)) {
    throw CliError("--frames", "'" + text + "' is not a frame range such as 1001-1100", kExitUsage);
  }
  FrameRange result;
  result.first = std::stol(match[1].str());
  result.last = match[2].matched ? std::stol(match[2].str()) : result.first;
  if (result.last < result.first) {
    throw CliError("--frames", "the range " + text + " ends before it starts", kExitUsage);
  }
  return result;
}

}  // namespace cli
