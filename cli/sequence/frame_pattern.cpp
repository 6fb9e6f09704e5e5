#include "cli/sequence/frame_pattern.h"

#include <algorithm>
#include <cstdio>

#include "cli/report/cli_error.h"

namespace cli {
namespace {

constexpr std::size_t kNameMax = 255;  // bytes in a file name
constexpr int kMaxDigits = 9;          // of a frame number or a step

struct Token {
  std::size_t start = 0;
  std::size_t length = 0;
  std::size_t width = 0;  // digits asked for; may be absurd, checked against kNameMax
};

// A "%[0][width]d" at name[start], or nothing.
std::optional<Token> PrintfToken(const std::string& name, std::size_t start) {
  std::size_t at = start + 1;
  if (at < name.size() && name[at] == '0') ++at;
  std::size_t width = 0;
  for (; at < name.size() && name[at] >= '0' && name[at] <= '9'; ++at) {
    width =
        std::min<std::size_t>(width * 10 + static_cast<std::size_t>(name[at] - '0'), kNameMax + 1);
  }
  if (at >= name.size() || name[at] != 'd') return std::nullopt;
  return Token{start, at + 1 - start, width};
}

std::vector<Token> Tokens(const std::string& name) {
  std::vector<Token> tokens;
  for (std::size_t at = 0; at < name.size();) {
    const char c = name[at];
    if (c == '#' || c == '@') {
      const std::size_t end = std::min(name.find_first_not_of(c, at), name.size());
      tokens.push_back(Token{at, end - at, end - at});
      at = end;
    } else if (name.compare(at, 2, "%%") == 0) {
      at += 2;  // printf's literal percent sign, never the start of a frame number
    } else if (const auto token = c == '%' ? PrintfToken(name, at) : std::nullopt) {
      tokens.push_back(*token);
      at += token->length;
    } else {
      ++at;
    }
  }
  return tokens;
}

// "%%" read as printf reads it: one "%".
std::string UnescapePercents(const std::string& text) {
  std::string plain;
  for (std::size_t at = 0; at < text.size(); ++at) {
    plain.push_back(text[at]);
    if (text.compare(at, 2, "%%") == 0) ++at;
  }
  return plain;
}

[[noreturn]] void RangeError(const std::string& text, const std::string& why) {
  throw CliError("--frames",
                 Quoted(text) + " " + why + " (use 1001-1100, 1001-1100x2 or 1001,1005,1010-1020)",
                 kExitUsage);
}

// A signed number of 1 to kMaxDigits digits at text[at], advancing at.
long Number(const std::string& text, std::size_t& at, const std::string& whole) {
  const bool negative = at < text.size() && text[at] == '-';
  if (negative) ++at;
  long value = 0;
  int digits = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
    if (digits == kMaxDigits) RangeError(whole, "has a number of more than 9 digits");
    value = value * 10 + (text[at] - '0');
  }
  if (digits == 0) RangeError(whole, "is not a frame list");
  return negative ? -value : value;
}

}  // namespace

std::optional<FramePattern> FramePattern::Find(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  const std::vector<Token> tokens = Tokens(name);
  if (tokens.empty()) return std::nullopt;
  if (tokens.size() > 1) {
    throw CliError(Excerpt(path.string()), "more than one frame-number pattern in the file name",
                   kExitUsage);
  }
  const Token& token = tokens.front();
  FramePattern result;
  result.text_ = path.string();
  result.folder_ = path.has_parent_path() ? path.parent_path().string() + "/" : "";
  result.before_ = name.substr(0, token.start);
  result.after_ = name.substr(token.start + token.length);
  if (name[token.start] == '%') {
    result.before_ = UnescapePercents(result.before_);
    result.after_ = UnescapePercents(result.after_);
  }
  const std::size_t room = kNameMax - std::min(kNameMax, name.size() - token.length);
  if (token.width > room) {
    throw CliError(Excerpt(path.string()),
                   "the frame number's padding " + Excerpt(name.substr(token.start, token.length)) +
                       " is too wide: a file name holds 255 bytes, which leaves " +
                       std::to_string(room) + " digits here",
                   kExitUsage);
  }
  result.width_ = static_cast<int>(token.width);
  return result;
}

std::filesystem::path FramePattern::FramePath(long frame) const {
  std::string digits(static_cast<std::size_t>(width_) + 24, '\0');
  const int length = std::snprintf(digits.data(), digits.size(), "%0*ld", width_, frame);
  digits.resize(static_cast<std::size_t>(std::max(length, 0)));
  return folder_ + before_ + digits + after_;
}

std::optional<long> FramePattern::FrameOf(const std::string& file_name) const {
  if (file_name.size() <= before_.size() + after_.size() || !file_name.starts_with(before_) ||
      !file_name.ends_with(after_)) {
    return std::nullopt;
  }
  const std::string middle =
      file_name.substr(before_.size(), file_name.size() - before_.size() - after_.size());
  std::size_t at = middle.front() == '-' ? 1 : 0;
  while (at < middle.size() && middle[at] == '0') ++at;
  const std::size_t significant = middle.size() - at;
  if (significant > kMaxDigits ||
      middle.find_first_not_of("0123456789", middle.front() == '-' ? 1 : 0) != std::string::npos) {
    return std::nullopt;
  }
  long frame = 0;
  for (; at < middle.size(); ++at) frame = frame * 10 + (middle[at] - '0');
  if (middle.front() == '-') frame = -frame;
  // Only the name this pattern gives that frame, padding included.
  if (FramePath(frame).filename().string() != file_name) return std::nullopt;
  return frame;
}

std::filesystem::path FramePattern::folder() const {
  return folder_.empty() ? std::filesystem::path(".") : std::filesystem::path(folder_);
}

FrameRange ParseFrameRange(const std::string& text) {
  std::size_t at = 0;
  FrameRange range;
  range.first = range.last = Number(text, at, text);
  if (at < text.size() && text[at] == '-') {
    ++at;
    range.last = Number(text, at, text);
    if (at < text.size() && text[at] == 'x') {
      ++at;
      range.step = Number(text, at, text);
      if (range.step < 1) RangeError(text, "has a step below 1");
    }
  }
  if (at != text.size()) RangeError(text, "is not a frame list");
  if (range.last < range.first) RangeError(text, "ends before it starts");
  return range;
}

std::vector<FrameRange> ParseFrameList(const std::string& text) {
  std::vector<FrameRange> ranges;
  for (std::size_t start = 0;;) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    ranges.push_back(ParseFrameRange(text.substr(start, comma - start)));
    if (comma == text.size()) return ranges;
    start = comma + 1;
  }
}

std::vector<long> FindFrames(const FramePattern& pattern) {
  const std::filesystem::path folder = pattern.folder();
  std::vector<long> frames;
  std::error_code error;
  std::filesystem::directory_iterator entry(folder, error);
  for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    if (const auto frame = pattern.FrameOf(entry->path().filename().string())) {
      frames.push_back(*frame);
    }
  }
  if (error) throw CliError(folder.string(), "cannot list the folder: " + error.message());
  if (frames.empty()) {
    throw CliError(pattern.text(), "no frames of this sequence found (give --frames to name them)");
  }
  std::sort(frames.begin(), frames.end());
  return frames;
}

}  // namespace cli
