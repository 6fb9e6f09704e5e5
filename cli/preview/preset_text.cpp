#include "cli/preview/preset_text.h"

#include <charconv>

namespace cli::preview {
namespace {

std::string TomlString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted.push_back('\\');
    quoted.push_back(c);
  }
  return quoted + "\"";
}

// The shortest text that reads back to the same double.
std::string ExactNumber(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string Value(const Control& control, const ControlSetting& setting,
                  const hostsim::ParamStore& params) {
  const PF_ParamDef& def = params[control.index];
  switch (control.kind) {
    case ControlKind::kWholeNumber:
      return std::to_string(def.u.sd.value);
    case ControlKind::kNumber:
      return ExactNumber(def.u.fs_d.value);
    case ControlKind::kChoice: {
      // The value was set from this table, so it names one of its choices.
      const auto choice = static_cast<std::size_t>(def.u.pd.value - 1);
      return TomlString(choice < control.choices.size() ? std::string(control.choices[choice])
                                                        : std::to_string(def.u.pd.value));
    }
    case ControlKind::kSwitch:
      return def.u.bd.value ? "true" : "false";
    case ControlKind::kColor:
      return TomlString(params[control.enable_index].u.bd.value ? setting.text : "off");
  }
  return TomlString(setting.text);
}

}  // namespace

std::string PresetToml(const ControlSettings& settings, const hostsim::ParamStore& params) {
  std::string text = "# velmora preset: velmora render IN OUT --preset FILE\n";
  for (const Control& control : Controls()) {
    const auto found = settings.find(control.name);
    if (found == settings.end()) continue;
    text += std::string(control.name) + " = " + Value(control, found->second, params) + "\n";
  }
  return text;
}

std::string ShellWord(const std::string& word) {
  const bool plain = !word.empty() && word.find_first_not_of(
                                          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                          "0123456789_./%@:,+=-") == std::string::npos;
  if (plain) return word;
  std::string quoted = "'";
  for (const char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted.push_back(c);
    }
  }
  return quoted + "'";
}

std::string RenderCommand(const RenderCommandParts& parts) {
  const std::filesystem::path input(parts.input);
  std::string stem = input.filename().string();
  if (const auto dot = stem.find('.'); dot != std::string::npos && dot > 0) {
    // shot.####.exr -> shot-glow.####.png; sample.png -> sample-glow.png
    const auto last = stem.rfind('.');
    stem = stem.substr(0, dot) + "-glow" + stem.substr(dot, last - dot);
  } else {
    stem += "-glow";
  }
  std::string command = "velmora";
  if (parts.plugin) command += " --plugin " + ShellWord(parts.plugin->string());
  command += " render " + ShellWord(parts.input) + " " + ShellWord(stem + ".png");
  if (parts.frame) command += " --frames " + std::to_string(*parts.frame);
  command += " --preset " + ShellWord(parts.preset);
  return command;
}

}  // namespace cli::preview
