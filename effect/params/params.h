#pragma once
// Where each control sits in the host's parameter array, and the values of the two popups.
// Every declared control's id equals its index.

namespace velmora {

enum ParamIndex : int {
  PARAM_INPUT = 0,  // the layer the effect is applied to; the host's own
  PARAM_RADIUS,
  PARAM_INTENSITY,
  PARAM_GLOW_MODE,
  PARAM_TINT_ENABLE,
  PARAM_TINT_COLOR,
  PARAM_TINT_MODE,
  PARAM_UNMULTIPLY,
  PARAM_GAMMA,
  PARAM_REPEAT_EDGES,
  PARAM_COUNT  // counts the input layer
};

// Popup values are 1-based, as the host counts choices.
enum GlowMode : int { GLOW_MODE_SCREEN = 1, GLOW_MODE_ADD = 2 };
enum TintMode : int { TINT_MODE_STANDARD = 1, TINT_MODE_SOFT = 2, TINT_MODE_LIGHT_BLEND = 3 };

}  // namespace velmora
