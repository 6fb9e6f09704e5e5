#pragma once
// Image sequences named by a pattern: "shot.####.exr" (one # per digit) or printf style
// "shot.%04d.exr" / "shot.%d.exr", in the file name (not the folders).

#include <filesystem>
#include <optional>
#include <string>

namespace cli {

class FramePattern {
 public:
  // The pattern in path, or nothing when its file name has none. Throws CliError for a file
  // name with more than one.
  static std::optional<FramePattern> Find(const std::filesystem::path& path);

  // The file of one frame: the number padded with zeros to the pattern's width.
  std::filesystem::path FramePath(long frame) const;

 private:
  std::string before_;  // everything up to the pattern, folders included
  std::string after_;
  int width_ = 0;  // 0 for %d: as many digits as the number has
};

struct FrameRange {
  long first = 0;
  long last = 0;
  long count() const { return last - first + 1; }
};

// "1001-1100" or "42"; negative frame numbers are written "-5--1". Throws CliError.
FrameRange ParseFrameRange(const std::string& text);

}  // namespace cli
