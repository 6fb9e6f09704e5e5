#include "cli/controls/controls.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "cli/controls/tint_color.h"
#include "cli/report/cli_error.h"

namespace cli {

using velmora::engine::NumberText;
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Joined(std::span<const std::string_view> words, std::size_t count,
                   const char* separator) {
  std::string text;
  for (std::size_t i = 0; i < std::min(count, words.size()); ++i) {
    if (i) text += separator;
    text += words[i];
  }
  return text;
}

std::string HexColor(const PF_Pixel& pixel) {
  char text[16];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", pixel.red, pixel.green, pixel.blue);
  return text;
}

bool ParseSwitch(const std::string& text, const std::string& source) {
  const std::string word = Lower(text);
  if (word == "true" || word == "on" || word == "yes" || word == "1") return true;
  if (word == "false" || word == "off" || word == "no" || word == "0") return false;
  throw CliError(source, Quoted(text) + " is not on or off (use true or false)", kExitUsage);
}

void ApplyOne(const Control& control, const ControlSetting& setting,
              const DeclaredControls& declared_controls, GlowControls& controls) {
  const PF_ParamDef& declared = declared_controls[control.index];
  const std::string& text = setting.text;
  const std::string& source = setting.source;
  const std::string range = DescribeRange(control, declared);
  switch (control.kind) {
    case ControlKind::kWholeNumber: {
      long value = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
      const bool whole = !text.empty() && end == text.data() + text.size();
      if (!whole || (error != std::errc() && error != std::errc::result_out_of_range)) {
        throw CliError(source, Quoted(text) + " is not a whole number (" + range + ")", kExitUsage);
      }
      if (error == std::errc::result_out_of_range || value < declared.u.sd.valid_min ||
          value > declared.u.sd.valid_max) {
        throw CliError(source, Excerpt(text) + " is outside the range " + range, kExitUsage);
      }
      controls.radius = value;
      return;
    }
    case ControlKind::kNumber: {
      double value = 0.0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
      const bool number = !text.empty() && end == text.data() + text.size() &&
                          (error == std::errc() || error == std::errc::result_out_of_range);
      if (!number || std::isnan(value)) {
        throw CliError(source, Quoted(text) + " is not a number (" + range + ")", kExitUsage);
      }
      if (error == std::errc::result_out_of_range || !std::isfinite(value) ||
          value < declared.u.fs_d.valid_min || value > declared.u.fs_d.valid_max) {
        throw CliError(source, Excerpt(text) + " is outside the range " + range, kExitUsage);
      }
      controls.intensity = value;
      return;
    }
    case ControlKind::kChoice: {
      const std::string word = Lower(text);
      const auto offered = static_cast<std::size_t>(declared_controls.ChoiceCount(control.index));
      for (std::size_t i = 0; i < offered; ++i) {
        if (word == control.choices[i]) {
          const int popup = static_cast<int>(i + 1);  // popups count from 1
          if (control.index == velmora::PARAM_GLOW_MODE) {
            controls.glow_mode = static_cast<velmora::GlowMode>(popup);
          } else {
            controls.tint_mode = static_cast<velmora::TintMode>(popup);
          }
          return;
        }
      }
      throw CliError(source, Quoted(text) + " is not one of " + range, kExitUsage);
    }
    case ControlKind::kSwitch: {
      const bool on = ParseSwitch(text, source);
      if (control.index == velmora::PARAM_UNMULTIPLY) controls.unmultiply = on;
      if (control.index == velmora::PARAM_GAMMA) controls.gamma = on;
      if (control.index == velmora::PARAM_REPEAT_EDGES) controls.repeat_edges = on;
      return;
    }
    case ControlKind::kColor: {
      const std::string word = Lower(text);
      if (word == "off" || word == "false" || word == "none") {
        controls.tint = false;
        return;
      }
      const TintColor color = ParseTintColor(text, source);
      controls.tint = true;
      controls.tint_colour = {color.red, color.green, color.blue, color.alpha};
      return;
    }
  }
}

}  // namespace

// The effect's controls as the command names them: the tint's switch and colour are one
// flag, --tint COLOUR|off.
const std::vector<Control>& Controls() {
  static const std::vector<Control> controls = [] {
    std::vector<Control> made;
    for (const velmora::ControlName& named : velmora::kControlNames) {
      if (named.index == velmora::PARAM_TINT_ENABLE) continue;
      Control control{named.name, named.index, named.kind, named.choices, named.help, ""};
      if (named.index == velmora::PARAM_RADIUS) control.value_name = "PIXELS";
      if (named.index == velmora::PARAM_INTENSITY) control.value_name = "NUMBER";
      if (named.index == velmora::PARAM_TINT_COLOR) {
        control.name = velmora::ControlNameOf(velmora::PARAM_TINT_ENABLE).name;
        control.help =
            "Tint the accumulated picture, source and glow together: #RRGGBB, #RRGGBBAA, "
            "r,g,b[,a] or off";
        control.value_name = "COLOUR";
        control.enable_index = velmora::PARAM_TINT_ENABLE;
      }
      made.push_back(control);
    }
    return made;
  }();
  return controls;
}

const Control* FindControl(std::string_view name) {
  for (const Control& control : Controls()) {
    if (control.name == name) return &control;
  }
  return nullptr;
}

void MergePreset(ControlSettings& settings, const std::map<std::string, std::string>& preset,
                 const std::string& preset_name) {
  for (const auto& [name, text] : preset) {
    if (!FindControl(name) && !IsCompOption(name)) {
      std::vector<std::string_view> names;
      for (const Control& control : Controls()) names.push_back(control.name);
      for (const std::string_view comp : CompOptionNames()) names.push_back(comp);
      throw CliError(
          preset_name,
          "unknown control " + Quoted(name) + " (known: " + Joined(names, names.size(), ", ") + ")",
          kExitUsage);
    }
    settings.try_emplace(name, ControlSetting{text, preset_name + ": " + name});
  }
}

void ApplyControls(const ControlSettings& settings, const DeclaredControls& declared,
                   GlowControls& controls) {
  for (const Control& control : Controls()) {
    const auto found = settings.find(control.name);
    if (found != settings.end()) ApplyOne(control, found->second, declared, controls);
  }
}

GlowControls ParseControls(const ControlSettings& settings, const DeclaredControls& declared) {
  GlowControls controls = declared.Defaults();
  ApplyControls(settings, declared, controls);
  return controls;
}

std::vector<std::string_view> CompOptionNames() {
  std::vector<std::string_view> names;
  for (const velmora::engine::CompRange& range : velmora::engine::CompRanges()) {
    names.push_back(range.name);
  }
  names.push_back(velmora::engine::kGlowPassName);
  return names;
}

bool IsCompOption(std::string_view name) {
  const std::vector<std::string_view> names = CompOptionNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

velmora::engine::CompOptions ParseCompOptions(const ControlSettings& settings) {
  velmora::engine::CompOptions options;
  for (const velmora::engine::CompRange& range : velmora::engine::CompRanges()) {
    const auto found = settings.find(range.name);
    if (found == settings.end()) continue;
    const auto& [text, source] = found->second;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool number = !text.empty() && end == text.data() + text.size() &&
                        (error == std::errc() || error == std::errc::result_out_of_range);
    if (!number || std::isnan(value)) {
      throw CliError(source,
                     Quoted(text) + " is not a number (" + velmora::engine::RangeText(range) + ")",
                     kExitUsage);
    }
    if (error == std::errc::result_out_of_range) value = HUGE_VAL;
    velmora::engine::SetCompOption(options, range, value, text, source);
  }
  if (const auto found = settings.find(velmora::engine::kGlowPassName); found != settings.end()) {
    options.glow_pass = ParseSwitch(found->second.text, found->second.source);
  }
  return options;
}

std::string DescribeRange(const Control& control, const PF_ParamDef& declared) {
  switch (control.kind) {
    case ControlKind::kWholeNumber:
      return NumberText(declared.u.sd.valid_min) + " to " + NumberText(declared.u.sd.valid_max);
    case ControlKind::kNumber:
      return NumberText(declared.u.fs_d.valid_min) + " to " + NumberText(declared.u.fs_d.valid_max);
    case ControlKind::kChoice:
      return Joined(control.choices, std::max(0, int{declared.u.pd.num_choices}), ", ");
    case ControlKind::kSwitch:
      return "on or off";
    case ControlKind::kColor:
      return "a colour, or off";
  }
  return "";
}

std::string DescribeDefault(const Control& control, const PF_ParamDef& declared) {
  switch (control.kind) {
    case ControlKind::kWholeNumber:
      return NumberText(declared.u.sd.dephault);
    case ControlKind::kNumber:
      return NumberText(declared.u.fs_d.dephault);
    case ControlKind::kChoice: {
      const int choice = declared.u.pd.dephault;
      return choice >= 1 && choice <= static_cast<int>(control.choices.size())
                 ? std::string(control.choices[choice - 1])
                 : std::to_string(choice);
    }
    case ControlKind::kSwitch:
      return declared.u.bd.dephault ? "on" : "off";
    case ControlKind::kColor:
      return HexColor(declared.u.cd.dephault);
  }
  return "";
}

}  // namespace cli
