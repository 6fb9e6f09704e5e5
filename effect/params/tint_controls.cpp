#include "effect/params/tint_controls.h"

#include <cstring>

#include "effect/host_calls/param_ops.h"
#include "effect/host_calls/suite_handler.h"
#include "effect/params/app_id.h"
#include "effect/params/params.h"
#include "effect/params/string_table.h"

namespace velmora {

namespace {

// The host's copy of a definition with the enabled state the checkbox asks for and the
// control's label. Only the disabled bit, the change flag and the name may differ from the
// host's record; the value travels unchanged.
PF_ParamDef TintControlUpdate(const PF_ParamDef& current, bool enabled, A_long label) {
  PF_ParamDef def = current;
  if (enabled) {
    def.ui_flags &= ~PF_PUI_DISABLED;
  } else {
    def.ui_flags |= PF_PUI_DISABLED;
  }
  def.uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
  std::strncpy(def.name, GetStringPtr(label), sizeof def.name - 1);
  def.name[sizeof def.name - 1] = '\0';
  return def;
}

}  // namespace

PF_Err UpdateTintControls(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[]) {
  SuiteHandler suites(in_data->pica_basicP);
  PF_Err err = PF_Err_NONE;
  if (!IsPrMrHost(in_data)) {
    const bool enabled = params[PARAM_TINT_ENABLE]->u.bd.value == 1;
    const PF_ParamDef color = TintControlUpdate(*params[PARAM_TINT_COLOR], enabled, STR_TINT_COLOR);
    const PF_ParamDef mode = TintControlUpdate(*params[PARAM_TINT_MODE], enabled, STR_TINT_MODE);
    // Colour first; a refused colour update leaves the mode as it is.
    err = UpdateParamUI(suites, in_data, PARAM_TINT_COLOR, &color);
    if (!err) err = UpdateParamUI(suites, in_data, PARAM_TINT_MODE, &mode);
  }
  // Redraw and render again whatever the updates answered, in every host.
  out_data->out_flags |= PF_OutFlag_REFRESH_UI | PF_OutFlag_FORCE_RERENDER;
  return err;
}

PF_Err UpdateParamsUI(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                      PF_LayerDef* /*output*/) {
  return UpdateTintControls(in_data, out_data, params);
}

PF_Err UserChangedParam(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                        PF_LayerDef* /*output*/) {
  return UpdateTintControls(in_data, out_data, params);
}

}  // namespace velmora
