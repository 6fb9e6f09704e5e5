#pragma once
// "PF World Transform Suite" 1: copies and transfers between worlds. Null rectangles mean the
// whole world; the host clips and stretches, and the source may be the destination.

#include "effect/host_calls/suite_handler.h"
#include "hostapi/host_api.h"

namespace velmora {

PF_Err CopyRect(SuiteHandler& suites, const PF_InData* in_data, PF_EffectWorld* src,
                PF_EffectWorld* dst, PF_Rect* src_rect, PF_Rect* dst_rect);
PF_Err CopyRectHQ(SuiteHandler& suites, const PF_InData* in_data, PF_EffectWorld* src,
                  PF_EffectWorld* dst, PF_Rect* src_rect, PF_Rect* dst_rect);
// No mask.
PF_Err TransferRect(SuiteHandler& suites, const PF_InData* in_data, PF_Quality quality,
                    PF_ModeFlags mode_flags, PF_Field field, const PF_Rect* src_rect,
                    const PF_EffectWorld* src, const PF_CompositeMode& composite, A_long dest_x,
                    A_long dest_y, PF_EffectWorld* dst);

}  // namespace velmora
