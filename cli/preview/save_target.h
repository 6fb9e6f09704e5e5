#pragma once
// Where Save preset writes, checked when the preview starts as velmora render checks an output,
// so a look built in the page is never lost to a name that cannot take it, and no input is
// ever replaced by a preset.

#include <filesystem>
#include <vector>

namespace cli::preview {

// Throws CliError unless a preset may be written at target: a file name (not a folder or a
// device) in a folder that exists and can be written, not write-protected, not one of the
// inputs (under any name), and not named .json (the preset is TOML, and --preset reads a .json
// name as JSON).
void CheckSaveTarget(const std::filesystem::path& target,
                     const std::vector<std::filesystem::path>& inputs);

}  // namespace cli::preview
