// The tint colour as users write it: parsed into components from 0 to 1, or refused.

#include <cstdlib>

#include "cli/controls/tint_color.h"
#include "cli/report/cli_error.h"
#include "fuzz/fuzz_input.h"

namespace {

bool InUnitRange(double value) {
  return value >= 0.0 && value <= 1.0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const cli::TintColor color = cli::ParseTintColor(velmora_fuzz::AsText({data, size}), "--tint");
    if (!InUnitRange(color.red) || !InUnitRange(color.green) || !InUnitRange(color.blue) ||
        !InUnitRange(color.alpha)) {
      std::abort();  // a colour the effect cannot take was accepted
    }
  } catch (const cli::CliError&) {
  }
  return 0;
}
