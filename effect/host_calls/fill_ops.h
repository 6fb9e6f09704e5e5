#pragma once
// Solid fills: "PF Fill Matte Suite" 2 and the utility callback fill.

#include "effect/host_calls/suite_handler.h"
#include "hostapi/host_api.h"

namespace velmora {

// One overload per pixel depth. A null colour clears, a null rectangle means the whole world.
PF_Err FillRect(SuiteHandler& suites, const PF_InData* in_data, const PF_Pixel* color,
                const PF_Rect* rect, PF_EffectWorld* world);
PF_Err FillRect(SuiteHandler& suites, const PF_InData* in_data, const PF_Pixel16* color,
                const PF_Rect* rect, PF_EffectWorld* world);
PF_Err FillRect(SuiteHandler& suites, const PF_InData* in_data, const PF_PixelFloat* color,
                const PF_Rect* rect, PF_EffectWorld* world);
// Divides colour by alpha in place (premultiply, direction 0).
PF_Err Unpremultiply(SuiteHandler& suites, const PF_InData* in_data, PF_EffectWorld* world);

// The utility callback fill with no colour and no rectangle: every byte of the world zero.
PF_Err ClearWorld(const PF_InData* in_data, PF_EffectWorld* world);

}  // namespace velmora
