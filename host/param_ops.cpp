#include "host/param_ops.h"

namespace velmora {

PF_Err AddParam(const PF_InData* in_data, PF_ParamDef* def) {
  return in_data->inter.add_param(in_data->effect_ref, -1, def);
}

PF_Err UpdateParamUI(SuiteHandler& suites, const PF_InData* in_data, PF_ParamIndex index,
                     const PF_ParamDef* def) {
  return suites.ParamUtilsSuite1()->PF_UpdateParamUI(in_data->effect_ref, index, def);
}

}  // namespace velmora
