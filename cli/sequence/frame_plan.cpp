#include "cli/sequence/frame_plan.h"

#include <algorithm>
#include <numeric>

#include "cli/report/cli_error.h"

namespace cli {
namespace {

// The gaps between frames found (sorted, distinct), on the largest step that divides every gap.
std::vector<FrameRange> Holes(const std::vector<long>& found) {
  long step = 0;
  for (std::size_t i = 1; i < found.size(); ++i) step = std::gcd(step, found[i] - found[i - 1]);
  std::vector<FrameRange> holes;
  for (std::size_t i = 1; i < found.size(); ++i) {
    if (found[i] - found[i - 1] > step) {
      holes.push_back(FrameRange{found[i - 1] + step, found[i] - step, step});
    }
  }
  return holes;
}

}  // namespace

FramePlan FramePlan::Make(const std::filesystem::path& input, const std::filesystem::path& output,
                          const std::optional<std::string>& frames, long frame_offset) {
  FramePlan plan;
  plan.input_ = input;
  plan.output_ = output;
  plan.offset_ = frame_offset;
  if (frame_offset < -999999999 || frame_offset > 999999999) {
    throw CliError("--frame-offset", "is outside the range -999999999 to 999999999", kExitUsage);
  }
  // A file that exists under the name given is that file, even with a # or @ in its name.
  std::error_code error;
  const bool literal = !frames && std::filesystem::exists(input, error);
  if (!literal) plan.input_pattern_ = FramePattern::Find(input);
  if (!plan.input_pattern_) {
    plan.output_pattern_ = FramePattern::Find(output);
    if (plan.output_pattern_ && frames) {  // a still held over the frames asked for
      plan.ranges_ = ParseFrameList(*frames);
      return plan;
    }
    if (plan.output_pattern_) {
      throw CliError(output.string(),
                     "one input file to a frame pattern: give --frames to say which frames to "
                     "write (e.g. --frames 1001, or 1001-1100 to hold it)",
                     kExitUsage);
    }
    if (frames) {
      throw CliError(input.string(), "--frames needs a frame pattern such as name.####.exr",
                     kExitUsage);
    }
    if (frame_offset) {
      throw CliError(input.string(), "--frame-offset needs a frame pattern such as name.####.exr",
                     kExitUsage);
    }
    plan.ranges_ = {FrameRange{}};
    return plan;
  }
  plan.output_pattern_ = FramePattern::Find(output);
  if (frames) {
    plan.ranges_ = ParseFrameList(*frames);
  } else {
    const std::vector<long> found = FindFrames(*plan.input_pattern_);
    for (long number : found) plan.ranges_.push_back(FrameRange{number, number, 1});
    plan.missing_ = Holes(found);
  }
  if (!plan.output_pattern_ && (plan.total() > 1 || frame_offset)) {
    throw CliError(output.string(),
                   frame_offset ? "--frame-offset needs a frame pattern in the output"
                                : "several frames need a frame pattern in the output",
                   kExitUsage);
  }
  return plan;
}

long FramePlan::total() const {
  long total = 0;
  for (const FrameRange& range : ranges_) total += range.count();
  return total;
}

long FramePlan::earliest() const {
  long earliest = ranges_.front().first;
  for (const FrameRange& range : ranges_) earliest = std::min(earliest, range.first);
  return earliest;
}

Frame FramePlan::Iterator::operator*() const {
  const FramePlan& plan = *plan_;
  return Frame{number_, plan.input_pattern_ ? plan.input_pattern_->FramePath(number_) : plan.input_,
               plan.output_pattern_ ? plan.output_pattern_->FramePath(number_ + plan.offset_)
                                    : plan.output_};
}

FramePlan::Iterator& FramePlan::Iterator::operator++() {
  const FrameRange& range = plan_->ranges_[range_];
  if (range.last - number_ >= range.step) {
    number_ += range.step;
  } else {
    ++range_;
    Settle();
  }
  return *this;
}

void FramePlan::Iterator::Settle() {
  if (!AtEnd()) number_ = plan_->ranges_[range_].first;
}

}  // namespace cli
