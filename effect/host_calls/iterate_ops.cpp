#include "effect/host_calls/iterate_ops.h"

namespace velmora {

PF_Err IterateWorld(SuiteHandler& suites, PF_InData* in_data, A_long progress_final,
                    PF_EffectWorld* src, void* refcon, PF_IteratePixel8Func pixel_op,
                    PF_EffectWorld* dst) {
  return suites.Iterate8Suite1()->iterate(in_data, 0, progress_final, src, nullptr, refcon,
                                          pixel_op, dst);
}

PF_Err IterateWorld(SuiteHandler& suites, PF_InData* in_data, A_long progress_final,
                    PF_EffectWorld* src, void* refcon, PF_IteratePixel16Func pixel_op,
                    PF_EffectWorld* dst) {
  return suites.Iterate16Suite1()->iterate(in_data, 0, progress_final, src, nullptr, refcon,
                                           pixel_op, dst);
}

PF_Err IterateWorld(SuiteHandler& suites, PF_InData* in_data, A_long progress_final,
                    PF_EffectWorld* src, void* refcon, PF_IteratePixelFloatFunc pixel_op,
                    PF_EffectWorld* dst) {
  return suites.IterateFloatSuite1()->iterate(in_data, 0, progress_final, src, nullptr, refcon,
                                              pixel_op, dst);
}

}  // namespace velmora
