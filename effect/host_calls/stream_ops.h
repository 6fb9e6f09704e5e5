#pragma once
// The effect's own parameter streams through the AEGP suites.

#include "effect/host_calls/suite_handler.h"
#include "hostapi/host_api.h"

namespace velmora {

// The colour of the effect's own parameter stream `index`, read at layer time 0 (scale 100)
// before expressions: the same value on every frame, whatever its animation.
PF_Err GetEffectStreamColor(SuiteHandler& suites, const PF_InData* in_data, PF_ParamIndex index,
                            AEGP_ColorVal* color);

}  // namespace velmora
