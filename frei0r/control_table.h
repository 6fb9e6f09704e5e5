#pragma once
// The effect's controls as frei0r parameters, in the order video tools list and number them:
// the names the velmora command uses, one parameter for each the effect declares.

#include "effect/params/control_names.h"

namespace frei0r_glow {

using velmora::ControlKind;
using Control = velmora::ControlName;

inline constexpr int kControlCount = static_cast<int>(velmora::kControlNames.size());

inline const auto& Controls() {
  return velmora::kControlNames;
}

}  // namespace frei0r_glow
