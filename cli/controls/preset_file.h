#pragma once
// Preset files: one flat object of control names and values, as JSON ({"radius": 40}) or
// TOML (radius = 40). Values come back as text, the way flags arrive, so both go through the
// same checks; "_" in names reads as "-".

#include <filesystem>
#include <map>
#include <string>

namespace cli {

// Throws CliError naming the file and the reason.
std::map<std::string, std::string> ReadPresetFile(const std::filesystem::path& path);

// The same from text already read; name is used in messages and to tell the format by its
// extension (".json", ".toml"; otherwise JSON when the text, past a byte order mark and
// spaces, starts with '{'). A name set twice, in either spelling, or a NUL byte is refused.
std::map<std::string, std::string> ParsePreset(const std::string& text, const std::string& name);

}  // namespace cli
