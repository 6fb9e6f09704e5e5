#pragma once
// Image sequences named by a pattern: "shot.####.exr" or "shot.@@@@.exr" (one # or @ per digit)
// or printf style "shot.%04d.exr" / "shot.%d.exr" (where "%%" stands for one "%", as in printf,
// and never starts a frame number), in the file name (not the folders), and the
// frame lists that say which frames to take: "1001-1100", "1001-1100x2", "1001,1005,1010-1020".

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli {

class FramePattern {
 public:
  // The pattern in path, or nothing when its file name has none. Throws CliError for a file
  // name with more than one, or a padding too wide for a file name.
  static std::optional<FramePattern> Find(const std::filesystem::path& path);

  // The file of one frame: the number padded with zeros to the pattern's width.
  std::filesystem::path FramePath(long frame) const;

  // The frame a file name (no folders) of this pattern holds, or nothing for other names.
  std::optional<long> FrameOf(const std::string& file_name) const;

  // The folder the frames are in ("." when the pattern names none).
  std::filesystem::path folder() const;
  // The pattern as written.
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  std::string folder_;  // with its final '/', or empty
  std::string before_;  // the file name up to the pattern
  std::string after_;
  int width_ = 0;  // 0 for %d: as many digits as the number has
};

// Every frame number of [first, last] that is first plus a multiple of step.
struct FrameRange {
  long first = 0;
  long last = 0;
  long step = 1;
  long count() const { return (last - first) / step + 1; }
};

// "1001-1100", "42" or "1001-1100x2"; negative frame numbers are written "-5--1". Frame numbers
// and steps have at most 9 digits. Throws CliError.
FrameRange ParseFrameRange(const std::string& text);

// Ranges separated by commas: "1001,1005,1010-1020x2". Throws CliError.
std::vector<FrameRange> ParseFrameList(const std::string& text);

// The frames of pattern that exist on disk, in order. Throws CliError when the folder cannot be
// listed or holds none.
std::vector<long> FindFrames(const FramePattern& pattern);

}  // namespace cli
