// "PF Param Utils Suite" 2: PF_UpdateParamUI, recorded with a copy of the definition.
#include "hostsim/serve.h"
#include "hostsim/suites/suites.h"
#include "hostsim/suites/unserved.h"

namespace hostsim {

namespace {

PF_Err UpdateParamUI(PF_ProgPtr effect_ref, PF_ParamIndex index, const PF_ParamDef* def) {
  return Serve("PF_UpdateParamUI", [&](HostServices& host) -> PF_Err {
    if (!host.IsEffectRef(effect_ref) || !def) return PF_Err_BAD_CALLBACK_PARAM;
    if (index < 1 || static_cast<std::size_t>(index) >= host.params.size())
      return PF_Err_INVALID_INDEX;
    host.ui_updates.push_back({index, *def});
    return PF_Err_NONE;
  });
}

}  // namespace

void RegisterParamUtilsSuite(SuiteRegistry& registry) {
  static const PF_ParamUtilsSuite1 suite = [] {
    PF_ParamUtilsSuite1 table{};
    table.PF_UpdateParamUI = UpdateParamUI;
    LeaveUnserved(table.PF_GetCurrentStateObsolete);
    LeaveUnserved(table.PF_HasParamChangedObsolete);
    LeaveUnserved(table.PF_HaveInputsChangedOverTimeSpanObsolete);
    LeaveUnserved(table.PF_IsIdenticalCheckout);
    LeaveUnserved(table.PF_FindKeyframeTime);
    LeaveUnserved(table.PF_GetKeyframeCount);
    LeaveUnserved(table.PF_CheckoutKeyframe);
    LeaveUnserved(table.PF_CheckinKeyframe);
    LeaveUnserved(table.PF_KeyIndexToTime);
    return table;
  }();
  registry.Add(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion1, &suite);
}

}  // namespace hostsim
