#pragma once
// What "Save preset" gives: the controls as a TOML preset that `--preset` reads back to the
// same values, and the `velmora render` command that renders the previewed frame with it.

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/controls/controls.h"

namespace cli::preview {

// Every control the settings name, in the effect's order, as controls (parsed from settings)
// holds them: numbers exactly, choices and switches by name, the tint as it was given. Unnamed
// controls keep the effect's default, so they are left out.
std::string PresetToml(const ControlSettings& settings, const GlowControls& controls);

// Keys of a preset written back as they were read: key = "text" lines.
std::string KeptToml(const std::vector<std::pair<std::string, std::string>>& keys);

struct RenderCommandParts {
  std::string input;                            // as given to velmora preview
  std::optional<long> frame;                    // the frame of a sequence
  std::string preset;                           // the saved preset file
  std::optional<std::filesystem::path> plugin;  // --plugin, when given
  std::optional<std::filesystem::path> ocio;    // the config a preset's view is delivered in
};

// "velmora render samples/sample.png sample-glow.png --preset velmora-preset.toml", words
// quoted for a POSIX shell where they need it. The output is a PNG beside where the command
// runs, named after the input (a sequence's pattern kept, so --frames writes that frame).
std::string RenderCommand(const RenderCommandParts& parts);

// A word as a POSIX shell reads it back unchanged: as it is when plain, else in single quotes.
std::string ShellWord(const std::string& word);

}  // namespace cli::preview
