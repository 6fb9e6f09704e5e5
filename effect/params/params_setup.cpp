#include "effect/params/params_setup.h"

#include "effect/host_calls/param_ops.h"
#include "effect/host_calls/text_ops.h"
#include "effect/params/params.h"
#include "effect/params/string_table.h"

namespace velmora {

namespace {

// The text beside a checkbox: none, the control's label says it all.
constexpr A_char kNoCheckboxText[] = "";

// A definition cleared to zero, with its type, label and flags; the caller fills the rest.
PF_ParamDef NewDefinition(PF_InData* in_data, PF_ParamType type, A_long label,
                          PF_ParamFlags flags) {
  PF_ParamDef def{};
  def.flags = flags;
  def.param_type = type;
  CopyText(in_data, def.name, GetStringPtr(label));
  return def;
}

PF_Err Add(PF_InData* in_data, ParamIndex index, PF_ParamDef& def) {
  def.uu.id = index;
  return AddParam(in_data, &def);
}

PF_Err AddRadius(PF_InData* in_data) {
  PF_ParamDef def =
      NewDefinition(in_data, PF_Param_SLIDER, STR_GLOW_RADIUS, PF_ParamFlag_SUPERVISE);
  PF_SliderDef& slider = def.u.sd;
  slider.valid_min = slider.slider_min = 0;
  slider.valid_max = slider.slider_max = 500;
  slider.value = slider.dephault = 100;
  return Add(in_data, PARAM_RADIUS, def);
}

PF_Err AddIntensity(PF_InData* in_data) {
  PF_ParamDef def =
      NewDefinition(in_data, PF_Param_FLOAT_SLIDER, STR_GLOW_INTENSITY, PF_ParamFlag_SUPERVISE);
  PF_FloatSliderDef& slider = def.u.fs_d;
  slider.valid_min = slider.slider_min = 0.0f;
  slider.valid_max = slider.slider_max = 11.0f;
  slider.value = 1.0;
  slider.dephault = 1.0f;
  slider.precision = 2;
  slider.display_flags = PF_ValueDisplayFlag_NONE;
  slider.fs_flags = PF_FSliderFlag_NONE;
  slider.curve_tolerance = 0.05f;
  slider.phase = 0.0;
  return Add(in_data, PARAM_INTENSITY, def);
}

PF_Err AddPopup(PF_InData* in_data, ParamIndex index, A_long label, A_short num_choices,
                A_long choices) {
  PF_ParamDef def = NewDefinition(in_data, PF_Param_POPUP, label, PF_ParamFlag_SUPERVISE);
  def.u.pd.num_choices = num_choices;
  def.u.pd.value = def.u.pd.dephault = 1;
  def.u.pd.u.namesptr = GetStringPtr(choices);
  return Add(in_data, index, def);
}

PF_Err AddCheckbox(PF_InData* in_data, ParamIndex index, A_long label) {
  PF_ParamDef def = NewDefinition(in_data, PF_Param_CHECKBOX, label, 0);
  def.u.bd.value = def.u.bd.dephault = 0;
  def.u.bd.u.nameptr = kNoCheckboxText;
  return Add(in_data, index, def);
}

PF_Err AddTintColor(PF_InData* in_data) {
  PF_ParamDef def = NewDefinition(in_data, PF_Param_COLOR, STR_TINT_COLOR, PF_ParamFlag_SUPERVISE);
  def.u.cd.value = PF_Pixel{255, 255, 0, 0};  // opaque pure red (alpha, red, green, blue)
  def.u.cd.dephault = def.u.cd.value;
  return Add(in_data, PARAM_TINT_COLOR, def);
}

}  // namespace

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                   PF_LayerDef* /*output*/) {
  // The first refusal stops the declarations: the host gets a prefix of the list and no count.
  if (PF_Err err = AddRadius(in_data)) return err;
  if (PF_Err err = AddIntensity(in_data)) return err;
  if (PF_Err err = AddPopup(in_data, PARAM_GLOW_MODE, STR_GLOW_MODE, 2, STR_GLOW_MODE_CHOICES))
    return err;
  if (PF_Err err = AddCheckbox(in_data, PARAM_TINT_ENABLE, STR_TINT_ENABLE)) return err;
  if (PF_Err err = AddTintColor(in_data)) return err;
  if (PF_Err err = AddPopup(in_data, PARAM_TINT_MODE, STR_TINT_MODE, 3, STR_TINT_MODE_CHOICES))
    return err;
  if (PF_Err err = AddCheckbox(in_data, PARAM_UNMULTIPLY, STR_UNMULTIPLY)) return err;
  if (PF_Err err = AddCheckbox(in_data, PARAM_GAMMA, STR_GAMMA)) return err;
  if (PF_Err err = AddCheckbox(in_data, PARAM_REPEAT_EDGES, STR_REPEAT_EDGES)) return err;
  out_data->num_params = PARAM_COUNT;
  return PF_Err_NONE;
}

}  // namespace velmora
