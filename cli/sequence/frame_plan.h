#pragma once
// The frames of one run: which input file each reads and which output file it writes, walked
// in order without being listed in memory (a range may hold a billion frames).

#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cli/sequence/frame_pattern.h"

namespace cli {

struct Frame {
  long number;
  std::filesystem::path input;
  std::filesystem::path output;
};

class FramePlan {
 public:
  // A single file when input names one and no frames are asked for (both names then stand as
  // written, and an output with a frame pattern is refused); otherwise a sequence: the frames
  // listed ("1001-1100x2,1200"), or those on disk. A single input file with frames listed and
  // an output pattern is that still, written as each frame. Output numbers are the input's
  // plus frame_offset. Throws CliError.
  static FramePlan Make(const std::filesystem::path& input, const std::filesystem::path& output,
                        const std::optional<std::string>& frames, long frame_offset);

  long total() const;     // frames in the run
  long earliest() const;  // the lowest frame number: time 0 for the effect
  bool is_sequence() const { return input_pattern_ || output_pattern_; }
  // Without frames listed: the frames between the first and last found on disk that are not
  // there, as ranges on the step the frames found keep (a sequence on twos misses no odd
  // frame). Empty when frames are listed.
  const std::vector<FrameRange>& missing() const { return missing_; }

  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = Frame;
    using difference_type = std::ptrdiff_t;
    Iterator(const FramePlan* plan, std::size_t range) : plan_(plan), range_(range) { Settle(); }
    Frame operator*() const;
    Iterator& operator++();
    bool operator==(const Iterator& other) const {
      return range_ == other.range_ && (AtEnd() || number_ == other.number_);
    }

   private:
    bool AtEnd() const { return range_ >= plan_->ranges_.size(); }
    void Settle();
    const FramePlan* plan_;
    std::size_t range_;
    long number_ = 0;
  };
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, ranges_.size()); }

 private:
  std::filesystem::path input_, output_;
  std::optional<FramePattern> input_pattern_, output_pattern_;
  std::vector<FrameRange> ranges_;
  std::vector<FrameRange> missing_;
  long offset_ = 0;
};

}  // namespace cli
