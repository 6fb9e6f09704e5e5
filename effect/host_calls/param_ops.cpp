#include "effect/host_calls/param_ops.h"

namespace velmora {

PF_Err AddParam(const PF_InData* in_data, PF_ParamDef* def) {
  return in_data->inter.add_param(in_data->effect_ref, -1, def);
}

PF_Err CheckoutParam(const PF_InData* in_data, PF_ParamIndex index, PF_ParamDef* param) {
  return in_data->inter.checkout_param(in_data->effect_ref, index, in_data->current_time,
                                       in_data->time_step, in_data->time_scale, param);
}

PF_Err CheckinParam(const PF_InData* in_data, PF_ParamDef* param) {
  return in_data->inter.checkin_param(in_data->effect_ref, param);
}

PF_Err UpdateParamUI(SuiteHandler& suites, const PF_InData* in_data, PF_ParamIndex index,
                     const PF_ParamDef* def) {
  return suites.ParamUtilsSuite1()->PF_UpdateParamUI(in_data->effect_ref, index, def);
}

}  // namespace velmora
