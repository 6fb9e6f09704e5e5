#pragma once
// The effect's controls as the command line and preset files name them. Which parameter each
// name sets is the tool's; ranges and defaults are always read from the definitions the effect
// declared at params setup.

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "effect/params/control_names.h"
#include "engine/comp_options.h"
#include "engine/glow_controls.h"
#include "hostapi/host_api.h"

namespace cli {

using velmora::ControlKind;
using velmora::engine::DeclaredControls;
using velmora::engine::GlowControls;

struct Control {
  std::string_view name;  // flag (with "--") and preset key
  PF_ParamIndex index;    // the effect's parameter it sets
  ControlKind kind;
  std::span<const std::string_view> choices;  // for popups, in the effect's order
  std::string_view help;
  std::string_view value_name;     // how help shows the value: "PIXELS", "COLOUR|off"
  PF_ParamIndex enable_index = 0;  // for the tint: the checkbox that switches it on
};

const std::vector<Control>& Controls();
const Control* FindControl(std::string_view name);

// One requested value as text, with where it came from ("--radius", "look.json: radius").
struct ControlSetting {
  std::string text;
  std::string source;
};
using ControlSettings = std::map<std::string, ControlSetting, std::less<>>;

// Adds a preset's entries that the command line did not set. Unknown names are rejected.
void MergePreset(ControlSettings& settings, const std::map<std::string, std::string>& preset,
                 const std::string& preset_name);

// Checks each setting against the effect's declaration of its parameter and sets the control.
// Throws CliError (usage) naming the setting's source and the valid range.
void ApplyControls(const ControlSettings& settings, const DeclaredControls& declared,
                   GlowControls& controls);
// The settings over the effect's declared defaults.
GlowControls ParseControls(const ControlSettings& settings, const DeclaredControls& declared);

// The options the tools build around the effect (threshold, softness, mix, glow-pass): the
// same settings carry them, by flag and preset key; ApplyControls leaves them alone.
bool IsCompOption(std::string_view name);
std::vector<std::string_view> CompOptionNames();
// Throws CliError (usage) with the words ApplyControls uses.
velmora::engine::CompOptions ParseCompOptions(const ControlSettings& settings);

// A declared parameter's valid values and default, as the user writes them ("0 to 500",
// "screen|add", "off").
std::string DescribeRange(const Control& control, const PF_ParamDef& declared);
std::string DescribeDefault(const Control& control, const PF_ParamDef& declared);

}  // namespace cli
