#pragma once
// The effect's controls as frei0r parameters, in the order video tools list and number them:
// the names the velmora command uses, one parameter for each the effect declares.

#include <iterator>

#include "effect/params/control_names.h"

namespace frei0r_glow {

using velmora::ControlKind;
using Control = velmora::ControlName;

inline constexpr int kControlCount = static_cast<int>(velmora::kControlNames.size());

inline const auto& Controls() {
  return velmora::kControlNames;
}

// After the effect's controls, so existing positional uses keep their meaning: the options the
// tools build around the effect, each 0..1 as it is (the frames are 8-bit, so a threshold
// above white would key everything out), the glow pass a switch.
struct CompParam {
  const char* name;
  bool is_switch;
  double fallback;
  const char* explanation;
};
inline constexpr CompParam kCompParams[] = {
    {"threshold", false, 0.0, "Glow only what is brighter: luminance 0..1 as it is (0: all)"},
    {"softness", false, 0.0,
     "The threshold's smooth knee: 0..1 as it is, a fraction of the threshold"},
    {"mix", false, 1.0, "From the plate to the glowed plate: 0..1 as it is"},
    {"glow-pass", true, 0.0, "Only the light the glow adds, with its alpha: on from 0.5"},
};
inline constexpr int kCompCount = static_cast<int>(std::size(kCompParams));
inline constexpr int kParamCount = kControlCount + kCompCount;

}  // namespace frei0r_glow
