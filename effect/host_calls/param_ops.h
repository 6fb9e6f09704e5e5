#pragma once
// The effect's controls through the host: declaring them, reading them during a render, and
// updating how they look.

#include "effect/host_calls/suite_handler.h"
#include "hostapi/host_api.h"

namespace velmora {

// Interaction callback add_param, at the end of the list (index -1).
PF_Err AddParam(const PF_InData* in_data, PF_ParamDef* def);

// Interaction callbacks checkout_param and checkin_param: checked out at in_data's
// current_time, time_step and time_scale.
PF_Err CheckoutParam(const PF_InData* in_data, PF_ParamIndex index, PF_ParamDef* param);
PF_Err CheckinParam(const PF_InData* in_data, PF_ParamDef* param);

// "PF Param Utils Suite" 2: the host's copy of control `index` becomes `def`.
PF_Err UpdateParamUI(SuiteHandler& suites, const PF_InData* in_data, PF_ParamIndex index,
                     const PF_ParamDef* def);

}  // namespace velmora
