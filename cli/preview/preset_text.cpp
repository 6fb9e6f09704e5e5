#include "cli/preview/preset_text.h"

#include <charconv>
#include <iomanip>
#include <sstream>

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
                  const GlowControls& controls) {
  auto choice = [&](int popup) {
    // The value was set from this table, so it names one of its choices.
    const auto index = static_cast<std::size_t>(popup - 1);
    return TomlString(index < control.choices.size() ? std::string(control.choices[index])
                                                     : std::to_string(popup));
  };
  auto on_off = [](bool on) { return std::string(on ? "true" : "false"); };
  switch (control.index) {
    case velmora::PARAM_RADIUS:
      return std::to_string(controls.radius);
    case velmora::PARAM_INTENSITY:
      return ExactNumber(controls.intensity);
    case velmora::PARAM_GLOW_MODE:
      return choice(controls.glow_mode);
    case velmora::PARAM_TINT_MODE:
      return choice(controls.tint_mode);
    case velmora::PARAM_TINT_COLOR:
      return TomlString(controls.tint ? setting.text : "off");
    case velmora::PARAM_UNMULTIPLY:
      return on_off(controls.unmultiply);
    case velmora::PARAM_GAMMA:
      return on_off(controls.gamma);
    case velmora::PARAM_REPEAT_EDGES:
      return on_off(controls.repeat_edges);
    default:
      return TomlString(setting.text);
  }
}

}  // namespace

std::string KeptToml(const std::vector<std::pair<std::string, std::string>>& keys) {
  std::string text;
  for (const auto& [key, value] : keys) text += key + " = " + TomlString(value) + "\n";
  return text;
}

std::string PresetToml(const ControlSettings& settings, const GlowControls& controls) {
  std::string text = "# velmora preset: velmora render IN OUT --preset FILE\n";
  for (const Control& control : Controls()) {
    const auto found = settings.find(control.name);
    if (found == settings.end()) continue;
    text += std::string(control.name) + " = " + Value(control, found->second, controls) + "\n";
  }
  // The options around the effect, as read (".5" is no TOML number; 0.5 is).
  const velmora::engine::CompOptions comp = ParseCompOptions(settings);
  for (const velmora::engine::CompRange& range : velmora::engine::CompRanges()) {
    if (settings.find(range.name) == settings.end()) continue;
    std::ostringstream number;
    number << std::setprecision(17) << comp.*range.field;
    text += std::string(range.name) + " = " + number.str() + "\n";
  }
  if (settings.find(velmora::engine::kGlowPassName) != settings.end()) {
    text += std::string(velmora::engine::kGlowPassName) + " = " +
            (comp.glow_pass ? "true" : "false") + "\n";
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
  if (parts.ocio) command += " --ocio " + ShellWord(parts.ocio->string());
  return command;
}

}  // namespace cli::preview
