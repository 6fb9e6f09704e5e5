#pragma once
// velmora info and the effect's half of velmora --version: the effect as the host sees it.

#include <filesystem>
#include <optional>
#include <ostream>

namespace cli {

void RunInfo(const std::optional<std::filesystem::path>& plugin, std::ostream& out);

// "Velmora 1.0.0 (ADBE TarnwickVelmora)" from the module's property list.
std::string EffectVersionLine(const std::filesystem::path& module_path);

}  // namespace cli
