#pragma once
// frei0r's values and the effect's: every number is a double in 0..1 spread over the declared
// range, a choice is 0..1 cut into equal steps, a switch is off below 0.5, a colour is three
// floats in 0..1.

#include <string>

#include "engine/glow_controls.h"
#include "frei0r/control_table.h"
#include "frei0r/frei0r_api.h"

namespace frei0r_glow {

using velmora::engine::DeclaredControls;
using velmora::engine::GlowControls;

// One control's value as the frei0r host sets and reads it.
struct ControlValue {
  double number = 0.0;
  f0r_param_color_t color{};
};

// A value as set, held to 0..1; NaN is no value, so the control keeps `previous`.
double Limited(double value, double previous);

ControlValue DefaultValue(const Control& control, const DeclaredControls& declared);

// Sets the control from the frei0r value (already limited).
void SetControl(const Control& control, const DeclaredControls& declared, const ControlValue& value,
                GlowControls& controls);

// How the value maps onto the control, for f0r_get_param_info ("0..1 x 500 = 0 to 500 pixels").
std::string Explanation(const Control& control, const DeclaredControls& declared);

}  // namespace frei0r_glow
