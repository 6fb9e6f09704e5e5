#include "effect/host_calls/transform_ops.h"

namespace velmora {

PF_Err CopyRect(SuiteHandler& suites, const PF_InData* in_data, PF_EffectWorld* src,
                PF_EffectWorld* dst, PF_Rect* src_rect, PF_Rect* dst_rect) {
  return suites.WorldTransformSuite1()->copy(in_data->effect_ref, src, dst, src_rect, dst_rect);
}

PF_Err CopyRectHQ(SuiteHandler& suites, const PF_InData* in_data, PF_EffectWorld* src,
                  PF_EffectWorld* dst, PF_Rect* src_rect, PF_Rect* dst_rect) {
  return suites.WorldTransformSuite1()->copy_hq(in_data->effect_ref, src, dst, src_rect, dst_rect);
}

PF_Err TransferRect(SuiteHandler& suites, const PF_InData* in_data, PF_Quality quality,
                    PF_ModeFlags mode_flags, PF_Field field, const PF_Rect* src_rect,
                    const PF_EffectWorld* src, const PF_CompositeMode& composite, A_long dest_x,
                    A_long dest_y, PF_EffectWorld* dst) {
  return suites.WorldTransformSuite1()->transfer_rect(in_data->effect_ref, quality, mode_flags,
                                                      field, src_rect, src, &composite, nullptr,
                                                      dest_x, dest_y, dst);
}

}  // namespace velmora
