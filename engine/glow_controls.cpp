#include "engine/glow_controls.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "effect/params/glow_extent.h"
#include "engine/error.h"
#include "hostsim/param_store.h"

namespace velmora::engine {
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
  return PF_Param_RESERVED;
}

A_u_char Level(double channel) {
  return static_cast<A_u_char>(std::lround(std::clamp(channel, 0.0, 1.0) * 255.0));
}

}  // namespace

int GlowControls::EdgePad() const {
  return static_cast<int>(velmora::EdgePad(repeat_edges, radius));
}

DeclaredControls::DeclaredControls(const hostsim::ParamStore& params, const std::string& module)
    : declared_(PARAM_COUNT) {
  for (const ControlName& control : kControlNames) {
    // declared() lists the controls the effect added, ids 1.. in order (the input layer is not
    // one).
    const auto& declared = params.declared();
    const auto found = std::find_if(declared.begin(), declared.end(), [&](const PF_ParamDef& def) {
      return def.uu.id == control.index;
    });
    if (found == declared.end() || found->param_type != ExpectedType(control.kind)) {
      throw Error(module, "the effect does not declare the parameter " + std::string(control.name) +
                              " the tools expect");
    }
    declared_[static_cast<std::size_t>(control.index)] = *found;
  }
}

const PF_ParamDef& DeclaredControls::operator[](PF_ParamIndex index) const {
  return declared_.at(static_cast<std::size_t>(index));
}

int DeclaredControls::ChoiceCount(PF_ParamIndex index) const {
  const int declared_count = std::max(1, int{(*this)[index].u.pd.num_choices});
  const auto known = static_cast<int>(ControlNameOf(static_cast<ParamIndex>(index)).choices.size());
  return std::max(1, std::min(declared_count, known));
}

GlowControls DeclaredControls::Defaults() const {
  GlowControls controls;
  auto popup = [&](ParamIndex index) {
    return std::clamp(int{(*this)[index].u.pd.dephault}, 1, ChoiceCount(index));
  };
  controls.radius = (*this)[PARAM_RADIUS].u.sd.dephault;
  controls.intensity = (*this)[PARAM_INTENSITY].u.fs_d.dephault;
  controls.glow_mode = static_cast<GlowMode>(popup(PARAM_GLOW_MODE));
  controls.tint = (*this)[PARAM_TINT_ENABLE].u.bd.dephault != 0;
  const PF_Pixel& colour = (*this)[PARAM_TINT_COLOR].u.cd.dephault;
  controls.tint_colour = {colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0,
                          colour.alpha / 255.0};
  controls.tint_mode = static_cast<TintMode>(popup(PARAM_TINT_MODE));
  controls.unmultiply = (*this)[PARAM_UNMULTIPLY].u.bd.dephault != 0;
  controls.gamma = (*this)[PARAM_GAMMA].u.bd.dephault != 0;
  controls.repeat_edges = (*this)[PARAM_REPEAT_EDGES].u.bd.dephault != 0;
  return controls;
}

std::string NumberText(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

void WriteControls(const GlowControls& controls, hostsim::ParamStore& params) {
  params[PARAM_RADIUS].u.sd.value = static_cast<PF_ParamValue>(controls.radius);
  params[PARAM_INTENSITY].u.fs_d.value = controls.intensity;
  params[PARAM_GLOW_MODE].u.pd.value = controls.glow_mode;
  params[PARAM_TINT_ENABLE].u.bd.value = controls.tint ? 1 : 0;
  const TintColour& colour = controls.tint_colour;
  params[PARAM_TINT_COLOR].u.cd.value =
      PF_Pixel{Level(colour.alpha), Level(colour.red), Level(colour.green), Level(colour.blue)};
  params.SetColorKeyframes(
      PARAM_TINT_COLOR,
      {hostsim::ColorKey{0.0, AEGP_ColorVal{colour.alpha, colour.red, colour.green, colour.blue}}});
  params[PARAM_TINT_MODE].u.pd.value = controls.tint_mode;
  params[PARAM_UNMULTIPLY].u.bd.value = controls.unmultiply ? 1 : 0;
  params[PARAM_GAMMA].u.bd.value = controls.gamma ? 1 : 0;
  params[PARAM_REPEAT_EDGES].u.bd.value = controls.repeat_edges ? 1 : 0;
}

}  // namespace velmora::engine
