#pragma once
// The iteration suite of each depth ("PF Iterate8 Suite", "PF iterate16 Suite",
// "PF iterateFloat Suite", version 1), which runs the effect's pixel operations.

#include "effect/host_calls/suite_handler.h"
#include "hostapi/host_api.h"

namespace velmora {

// The whole of src, progress 0 to progress_final.
PF_Err IterateWorld(SuiteHandler& suites, PF_InData* in_data, A_long progress_final,
                    PF_EffectWorld* src, void* refcon, PF_IteratePixel8Func pixel_op,
                    PF_EffectWorld* dst);
PF_Err IterateWorld(SuiteHandler& suites, PF_InData* in_data, A_long progress_final,
                    PF_EffectWorld* src, void* refcon, PF_IteratePixel16Func pixel_op,
                    PF_EffectWorld* dst);
PF_Err IterateWorld(SuiteHandler& suites, PF_InData* in_data, A_long progress_final,
                    PF_EffectWorld* src, void* refcon, PF_IteratePixelFloatFunc pixel_op,
                    PF_EffectWorld* dst);

}  // namespace velmora
