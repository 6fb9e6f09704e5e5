#include "frei0r/value_mapping.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>

namespace frei0r_glow {
namespace {

PF_ParamType ExpectedType(ControlKind kind) {
  switch (kind) {
    case ControlKind::kWholeNumber:
      return PF_Param_SLIDER;
    case ControlKind::kNumber:
      return PF_Param_FLOAT_SLIDER;
    case ControlKind::kChoice:
      return PF_Param_POPUP;
    case ControlKind::kSwitch:
      return PF_Param_CHECKBOX;
    case ControlKind::kColor:
      return PF_Param_COLOR;
  }
  throw std::logic_error("unknown control kind");
}

std::string Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// The choices both the effect and this table know; at least one, so a step exists.
int ChoiceCount(const Control& control, const PF_ParamDef& declared) {
  const int declared_count = std::max(1, int{declared.u.pd.num_choices});
  return std::max(1, std::min(declared_count, static_cast<int>(control.choices.size())));
}

float LimitedChannel(float value) {
  return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
}

}  // namespace

const PF_ParamDef& DeclaredFor(const std::vector<PF_ParamDef>& declared, const Control& control) {
  const auto found = std::find_if(declared.begin(), declared.end(), [&](const PF_ParamDef& def) {
    return def.uu.id == control.index;
  });
  if (found == declared.end() || found->param_type != ExpectedType(control.kind)) {
    throw std::runtime_error("the effect module does not declare the parameter " +
                             std::string(control.name) + " needs");
  }
  return *found;
}

double Limited(double value, double previous) {
  if (std::isnan(value)) return previous;
  return std::clamp(value, 0.0, 1.0);
}

ControlValue DefaultValue(const Control& control, const PF_ParamDef& declared) {
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
      const int count = ChoiceCount(control, declared);
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

void ApplyValue(const Control& control, const PF_ParamDef& declared, const ControlValue& value,
                hostsim::ParamStore& params) {
  PF_ParamDef& current = params[control.index];
  const double v = value.number;
  switch (control.kind) {
    case ControlKind::kWholeNumber: {
      const double span = static_cast<double>(declared.u.sd.valid_max) - declared.u.sd.valid_min;
      current.u.sd.value =
          static_cast<PF_ParamValue>(declared.u.sd.valid_min + std::lround(v * span));
      return;
    }
    case ControlKind::kNumber: {
      const double low = declared.u.fs_d.valid_min, high = declared.u.fs_d.valid_max;
      current.u.fs_d.value = std::clamp(low + v * (high - low), low, high);
      return;
    }
    case ControlKind::kChoice: {
      const int count = ChoiceCount(control, declared);
      const int choice = std::min(count - 1, static_cast<int>(v * count));
      current.u.pd.value = static_cast<A_long>(choice + 1);  // popups count from 1
      return;
    }
    case ControlKind::kSwitch:
      current.u.bd.value = v >= 0.5 ? 1 : 0;
      return;
    case ControlKind::kColor: {
      const double red = LimitedChannel(value.color.r), green = LimitedChannel(value.color.g),
                   blue = LimitedChannel(value.color.b);
      auto level = [](double channel) {
        return static_cast<A_u_char>(std::lround(channel * 255.0));
      };
      current.u.cd.value = PF_Pixel{255, level(red), level(green), level(blue)};
      // The effect reads the colour through the stream services, which keep full precision.
      params.SetColorKeyframes(control.index,
                               {hostsim::ColorKey{0.0, AEGP_ColorVal{1.0, red, green, blue}}});
      return;
    }
  }
}

std::string Explanation(const Control& control, const PF_ParamDef& declared) {
  const std::string help(control.help);
  switch (control.kind) {
    case ControlKind::kWholeNumber: {
      const double low = declared.u.sd.valid_min, high = declared.u.sd.valid_max;
      return help + ": " + Number(low) + " + value x " + Number(high - low) +
             ", rounded (0..1 = " + Number(low) + " to " + Number(high) + ")";
    }
    case ControlKind::kNumber: {
      const double low = declared.u.fs_d.valid_min, high = declared.u.fs_d.valid_max;
      return help + ": " + Number(low) + " + value x " + Number(high - low) +
             " (0..1 = " + Number(low) + " to " + Number(high) + ")";
    }
    case ControlKind::kChoice: {
      const int count = ChoiceCount(control, declared);
      std::string text = help + ": 0..1 in " + std::to_string(count) + " equal steps:";
      for (int i = 0; i < count; ++i) {
        text += (i ? ", " : " ") + std::string(control.choices[static_cast<std::size_t>(i)]) +
                " from " + Number(static_cast<double>(i) / count);
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
