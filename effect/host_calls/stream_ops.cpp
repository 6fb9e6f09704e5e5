#include "effect/host_calls/stream_ops.h"

namespace velmora {
namespace {

// Keeps the first error of a sequence of calls that must all run.
void KeepFirst(PF_Err& first, PF_Err next) {
  if (first == PF_Err_NONE) first = next;
}

}  // namespace

PF_Err GetEffectStreamColor(SuiteHandler& suites, const PF_InData* in_data, PF_ParamIndex index,
                            AEGP_ColorVal* color) {
  // All three suites first: a refused one throws before any reference needs disposing.
  AEGP_PFInterfaceSuite1* const interface_suite = suites.PFInterfaceSuite1();
  AEGP_StreamSuite4* const stream_suite = suites.StreamSuite4();
  AEGP_EffectSuite2* const effect_suite = suites.EffectSuite2();

  AEGP_EffectRefH effect = nullptr;
  PF_Err err =
      interface_suite->AEGP_GetNewEffectForEffect(kEffectPluginId, in_data->effect_ref, &effect);
  if (err != PF_Err_NONE) return err;

  AEGP_StreamRefH stream = nullptr;
  err = stream_suite->AEGP_GetNewEffectStreamByIndex(kEffectPluginId, effect, index, &stream);
  if (err == PF_Err_NONE) {
    const A_Time layer_start{0, 100};
    AEGP_StreamValue2 value{};
    err = stream_suite->AEGP_GetNewStreamValue(kEffectPluginId, stream, AEGP_LTimeMode_LayerTime,
                                               &layer_start, true, &value);
    if (err == PF_Err_NONE) {
      *color = value.val.color;
      err = stream_suite->AEGP_DisposeStreamValue(&value);
    }
    KeepFirst(err, stream_suite->AEGP_DisposeStream(stream));
  }
  KeepFirst(err, effect_suite->AEGP_DisposeEffect(effect));
  return err;
}

}  // namespace velmora
