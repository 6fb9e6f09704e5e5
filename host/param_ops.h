#pragma once
// The effect's declarations of its controls to the host, and its updates of how they look.

#include "host/suite_handler.h"
#include "hostapi/host_api.h"

namespace velmora {

// Interaction callback add_param, at the end of the list (index -1).
PF_Err AddParam(const PF_InData* in_data, PF_ParamDef* def);

// "PF Param Utils Suite" 2: the host's copy of control `index` becomes `def`.
PF_Err UpdateParamUI(SuiteHandler& suites, const PF_InData* in_data, PF_ParamIndex index,
                     const PF_ParamDef* def);

}  // namespace velmora
