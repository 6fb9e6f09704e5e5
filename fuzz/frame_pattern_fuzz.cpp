// Sequence patterns and frame ranges. The input is a file name, a newline and a range. A
// pattern found must name every frame of the range apart: two frames written to one file
// would lose the first.

#include <cstdlib>
#include <string>

#include "cli/report/cli_error.h"
#include "cli/sequence/frame_pattern.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = velmora_fuzz::AsText({data, size});
  const std::size_t newline = text.find('\n');
  const std::string name = text.substr(0, newline);
  const std::string range_text = newline == std::string::npos ? "" : text.substr(newline + 1);

  std::optional<cli::FrameRange> range;
  try {
    range = cli::ParseFrameRange(range_text);
    if (range->count() < 1) std::abort();  // a range that ends before it starts was accepted
  } catch (const cli::CliError&) {
  }

  try {
    const auto pattern = cli::FramePattern::Find(name);
    if (!pattern || !range) return 0;
    // The ends of the range and their neighbours cover the widths and signs that matter.
    const long frames[] = {range->first, range->last, range->first + 1, range->last - 1};
    for (long a : frames) {
      for (long b : frames) {
        if (a != b && pattern->FramePath(a) == pattern->FramePath(b)) std::abort();
      }
    }
  } catch (const cli::CliError&) {
  }
  return 0;
}
