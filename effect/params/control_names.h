#pragma once
// The effect's controls as tools outside the host name them: the velmora command's flags and
// preset keys, and the parameters video tools show. Lower case and hyphenated for command
// lines; ranges and defaults are never written here but read from what the effect declares.

#include <array>
#include <span>
#include <string_view>

#include "effect/params/params.h"

namespace velmora {

enum class ControlKind { kWholeNumber, kNumber, kChoice, kSwitch, kColor };

struct ControlName {
  ParamIndex index;  // the effect's parameter
  std::string_view name;
  ControlKind kind;
  std::span<const std::string_view> choices;  // a popup's values, in the effect's order
  std::string_view help;
};

inline constexpr std::string_view kGlowModeChoices[] = {"screen", "add"};
inline constexpr std::string_view kTintModeChoices[] = {"standard", "soft", "light-blend"};

// Every control the effect declares, in the effect's order.
inline constexpr std::array<ControlName, PARAM_COUNT - 1> kControlNames = {{
    {PARAM_RADIUS, "radius", ControlKind::kWholeNumber, {}, "Glow radius in pixels"},
    {PARAM_INTENSITY, "intensity", ControlKind::kNumber, {}, "Glow intensity"},
    {PARAM_GLOW_MODE, "mode", ControlKind::kChoice, kGlowModeChoices,
     "How the glow levels combine"},
    {PARAM_TINT_ENABLE, "tint", ControlKind::kSwitch, {}, "Tint the glow with tint-color"},
    {PARAM_TINT_COLOR, "tint-color", ControlKind::kColor, {}, "The tint's colour"},
    {PARAM_TINT_MODE, "tint-mode", ControlKind::kChoice, kTintModeChoices, "How the tint applies"},
    {PARAM_UNMULTIPLY,
     "unmultiply",
     ControlKind::kSwitch,
     {},
     "Derive alpha from the brightest channel"},
    {PARAM_GAMMA,
     "gamma",
     ControlKind::kSwitch,
     {},
     "Glow in linear light (sRGB decode and encode)"},
    {PARAM_REPEAT_EDGES,
     "repeat-edges",
     ControlKind::kSwitch,
     {},
     "Extend the edge pixels before blurring"},
}};

constexpr const ControlName& ControlNameOf(ParamIndex index) {
  return kControlNames[static_cast<std::size_t>(index) - 1];
}

}  // namespace velmora
