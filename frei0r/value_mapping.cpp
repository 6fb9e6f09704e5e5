#include "frei0r/value_mapping.h"

#include <algorithm>
#include <cmath>

namespace frei0r_glow {

using velmora::engine::NumberText;
namespace {

float LimitedChannel(float value) {
  return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
}

}  // namespace

double Limited(double value, double previous) {
  if (std::isnan(value)) return previous;
  return std::clamp(value, 0.0, 1.0);
}

ControlValue DefaultValue(const Control& control, const DeclaredControls& declared_controls) {
  const PF_ParamDef& declared = declared_controls[control.index];
  ControlValue value;
  switch (control.kind) {
    case ControlKind::kWholeNumber: {
      const double span = static_cast<double>(declared.u.sd.valid_max) - declared.u.sd.valid_min;
      value.number = span > 0 ? (declared.u.sd.dephault - declared.u.sd.valid_min) / span : 0.0;
      break;
    }
    case ControlKind::kNumber: {
      const double span = declared.u.fs_d.valid_max - declared.u.fs_d.valid_min;
      value.number = span > 0 ? (declared.u.fs_d.dephault - declared.u.fs_d.valid_min) / span : 0.0;
      break;
    }
    case ControlKind::kChoice: {
      // The middle of the choice's step, so reading it back and setting it again keeps it.
      const int count = declared_controls.ChoiceCount(control.index);
      const int choice = std::clamp(int{declared.u.pd.dephault}, 1, count) - 1;
      value.number = (choice + 0.5) / count;
      break;
    }
    case ControlKind::kSwitch:
      value.number = declared.u.bd.dephault ? 1.0 : 0.0;
      break;
    case ControlKind::kColor: {
      const PF_Pixel& pixel = declared.u.cd.dephault;
      value.color = {pixel.red / 255.0f, pixel.green / 255.0f, pixel.blue / 255.0f};
      break;
    }
  }
  value.number = Limited(value.number, 0.0);
  return value;
}

void SetControl(const Control& control, const DeclaredControls& declared_controls,
                const ControlValue& value, GlowControls& controls) {
  const PF_ParamDef& declared = declared_controls[control.index];
  const double v = value.number;
  switch (control.index) {
    case velmora::PARAM_RADIUS: {
      const double span = static_cast<double>(declared.u.sd.valid_max) - declared.u.sd.valid_min;
      controls.radius = declared.u.sd.valid_min + std::lround(v * span);
      return;
    }
    case velmora::PARAM_INTENSITY: {
      const double low = declared.u.fs_d.valid_min, high = declared.u.fs_d.valid_max;
      controls.intensity = std::clamp(low + v * (high - low), low, high);
      return;
    }
    case velmora::PARAM_GLOW_MODE:
    case velmora::PARAM_TINT_MODE: {
      const int count = declared_controls.ChoiceCount(control.index);
      const int popup =
          std::min(count - 1, static_cast<int>(v * count)) + 1;  // popups count from 1
      if (control.index == velmora::PARAM_GLOW_MODE) {
        controls.glow_mode = static_cast<velmora::GlowMode>(popup);
      } else {
        controls.tint_mode = static_cast<velmora::TintMode>(popup);
      }
      return;
    }
    case velmora::PARAM_TINT_ENABLE:
      controls.tint = v >= 0.5;
      return;
    case velmora::PARAM_UNMULTIPLY:
      controls.unmultiply = v >= 0.5;
      return;
    case velmora::PARAM_GAMMA:
      controls.gamma = v >= 0.5;
      return;
    case velmora::PARAM_REPEAT_EDGES:
      controls.repeat_edges = v >= 0.5;
      return;
    case velmora::PARAM_TINT_COLOR:
      controls.tint_colour = {LimitedChannel(value.color.r), LimitedChannel(value.color.g),
                              LimitedChannel(value.color.b), 1.0};
      return;
    default:
      return;
  }
}

std::string Explanation(const Control& control, const DeclaredControls& declared_controls) {
  const PF_ParamDef& declared = declared_controls[control.index];
  const std::string help(control.help);
  switch (control.kind) {
    case ControlKind::kWholeNumber: {
      const double low = declared.u.sd.valid_min, high = declared.u.sd.valid_max;
      return help + ": " + NumberText(low) + " + value x " + NumberText(high - low) +
             ", rounded (0..1 = " + NumberText(low) + " to " + NumberText(high) + ")";
    }
    case ControlKind::kNumber: {
      const double low = declared.u.fs_d.valid_min, high = declared.u.fs_d.valid_max;
      return help + ": " + NumberText(low) + " + value x " + NumberText(high - low) +
             " (0..1 = " + NumberText(low) + " to " + NumberText(high) + ")";
    }
    case ControlKind::kChoice: {
      const int count = declared_controls.ChoiceCount(control.index);
      std::string text = help + ": 0..1 in " + std::to_string(count) + " equal steps:";
      for (int i = 0; i < count; ++i) {
        text += (i ? ", " : " ") + std::string(control.choices[static_cast<std::size_t>(i)]) +
                " from " + NumberText(static_cast<double>(i) / count);
      }
      return text;
    }
    case ControlKind::kSwitch:
      return help + " (on from 0.5)";
    case ControlKind::kColor:
      return help + " (red, green, blue 0..1)";
  }
  return help;
}

}  // namespace frei0r_glow
