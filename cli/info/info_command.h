#pragma once
// velmora info and the effect's half of velmora --version: the effect as the host sees it.

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>

namespace hostsim {
class ParamStore;
}

namespace cli {

void RunInfo(const std::optional<std::filesystem::path>& plugin, std::ostream& out);

// velmora info --json: the effect and each control its flags set (name, flag, label, range or
// choices, default), typed for scripts, from the same declarations the table shows.
void RunInfoJson(const std::optional<std::filesystem::path>& plugin, std::ostream& out);

// The same JSON for an effect already loaded: its module and the parameters it declared.
std::string InfoJson(const std::filesystem::path& module_path, const hostsim::ParamStore& params);

// Each control's range and default as the effect declares them, by control name:
// "0 to 500, default 100". Empty when the effect cannot be loaded (help still shows the rest).
std::map<std::string, std::string, std::less<>> ControlRanges(
    const std::optional<std::filesystem::path>& plugin);

// "Velmora 1.0.0 (ADBE TarnwickVelmora)" from the module's property list.
std::string EffectVersionLine(const std::filesystem::path& module_path);

}  // namespace cli
