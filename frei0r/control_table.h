#pragma once
// The effect's controls as frei0r parameters, in the order video tools list and number them.
// Names are the velmora command's flags; which effect parameter each sets is ours to say,
// while ranges and defaults are read from the definitions the effect declared.

#include <array>
#include <string_view>
#include <vector>

#include "hostapi/host_api.h"

namespace frei0r_glow {

enum class ControlKind { kWholeNumber, kNumber, kChoice, kSwitch, kColor };

struct Control {
  std::string_view name;
  PF_ParamIndex index;  // the effect's parameter it sets
  ControlKind kind;
  std::vector<std::string_view> choices;  // for popups, in the effect's order
  std::string_view help;
};

inline constexpr int kControlCount = 9;

const std::array<Control, kControlCount>& Controls();

}  // namespace frei0r_glow
