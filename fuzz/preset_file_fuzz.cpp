// Preset text in both formats: a preset either parses or is refused with the tool's own error.

#include "cli/controls/preset_file.h"
#include "cli/report/cli_error.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmora_fuzz::FuzzInput input(data, size);
  // The name tells the format by its extension; a name without one makes the parser guess.
  static const char* const kNames[] = {"look.json", "look.toml", "look"};
  const char* name = kNames[input.Byte() % 3];
  try {
    cli::ParsePreset(velmora_fuzz::AsText(input.Rest()), name);
  } catch (const cli::CliError&) {
  }
  return 0;
}
