#include "frei0r/control_table.h"

namespace frei0r_glow {

const std::array<Control, kControlCount>& Controls() {
  static const std::array<Control, kControlCount> controls = {{
      {"radius", 1, ControlKind::kWholeNumber, {}, "Glow radius in pixels"},
      {"intensity", 2, ControlKind::kNumber, {}, "Glow intensity"},
      {"mode", 3, ControlKind::kChoice, {"screen", "add"}, "How the glow levels combine"},
      {"tint", 4, ControlKind::kSwitch, {}, "Tint the glow with tint-color"},
      {"tint-color", 5, ControlKind::kColor, {}, "The tint's colour"},
      {"tint-mode",
       6,
       ControlKind::kChoice,
       {"standard", "soft", "light-blend"},
       "How the tint applies"},
      {"unmultiply", 7, ControlKind::kSwitch, {}, "Derive alpha from the brightest channel"},
      {"gamma", 8, ControlKind::kSwitch, {}, "Glow in linear light (sRGB decode and encode)"},
      {"repeat-edges", 9, ControlKind::kSwitch, {}, "Extend the edge pixels before blurring"},
  }};
  return controls;
}

}  // namespace frei0r_glow
