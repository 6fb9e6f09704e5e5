#pragma once
// The nine controls as one typed value, and the one function that writes it into the host's
// parameters. Front-ends parse their own form of the controls (flags and presets, a query,
// frei0r's 0..1 values) into a GlowControls that starts from the effect's declared defaults;
// the ranges they check against are the effect's own declarations.

#include <string>
#include <vector>

#include "effect/params/control_names.h"
#include "effect/params/params.h"
#include "hostapi/host_api.h"

namespace hostsim {
class ParamStore;
}

namespace velmora::engine {

// A colour in 0..1 per channel, kept at full precision: the effect reads the tint colour
// through the host's stream services, which do not round it to 8 bits.
struct TintColour {
  double red = 0.0, green = 0.0, blue = 0.0, alpha = 1.0;
};

struct GlowControls {
  long radius = 0;
  double intensity = 0.0;
  GlowMode glow_mode = GLOW_MODE_SCREEN;
  bool tint = false;
  TintColour tint_colour;
  TintMode tint_mode = TINT_MODE_STANDARD;
  bool unmultiply = false;
  bool gamma = false;
  bool repeat_edges = false;

  // How much the effect's edge-extended worlds grow at these controls (0 without repeat edges).
  int EdgePad() const;
};

// The controls the loaded effect declared at params setup, checked to be of the kinds the
// tools expect.
class DeclaredControls {
 public:
  // Throws Error naming module when a control is missing or of another type.
  DeclaredControls(const hostsim::ParamStore& params, const std::string& module);

  const PF_ParamDef& operator[](PF_ParamIndex index) const;
  // The choices both the effect and the tools know, for a popup (at least one).
  int ChoiceCount(PF_ParamIndex index) const;
  // Every control at its declared default.
  GlowControls Defaults() const;

 private:
  std::vector<PF_ParamDef> declared_;  // by index; the input layer's slot unused
};

// A control's number as ranges, defaults and messages show it: "0.004", "500".
std::string NumberText(double value);

// Sets every control's parameter as the user would in the host.
void WriteControls(const GlowControls& controls, hostsim::ParamStore& params);

}  // namespace velmora::engine
