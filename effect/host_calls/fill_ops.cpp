#include "effect/host_calls/fill_ops.h"

namespace velmora {

PF_Err FillRect(SuiteHandler& suites, const PF_InData* in_data, const PF_Pixel* color,
                const PF_Rect* rect, PF_EffectWorld* world) {
  return suites.FillMatteSuite2()->fill(in_data->effect_ref, color, rect, world);
}

PF_Err FillRect(SuiteHandler& suites, const PF_InData* in_data, const PF_Pixel16* color,
                const PF_Rect* rect, PF_EffectWorld* world) {
  return suites.FillMatteSuite2()->fill16(in_data->effect_ref, color, rect, world);
}

PF_Err FillRect(SuiteHandler& suites, const PF_InData* in_data, const PF_PixelFloat* color,
                const PF_Rect* rect, PF_EffectWorld* world) {
  return suites.FillMatteSuite2()->fill_float(in_data->effect_ref, color, rect, world);
}

PF_Err Unpremultiply(SuiteHandler& suites, const PF_InData* in_data, PF_EffectWorld* world) {
  return suites.FillMatteSuite2()->premultiply(in_data->effect_ref, 0, world);
}

PF_Err ClearWorld(const PF_InData* in_data, PF_EffectWorld* world) {
  return in_data->utils->fill(in_data->effect_ref, nullptr, nullptr, world);
}

}  // namespace velmora
