#include "host/image_ops.h"

namespace velmora {
namespace {

// Effects reach the AEGP suites without registering; the host takes id 0 from them.
constexpr AEGP_PluginID kEffectPluginId = 0;

// Keeps the first error of a sequence of calls that must all run.
void KeepFirst(PF_Err& first, PF_Err next) {
  if (first == PF_Err_NONE) first = next;
}

}  // namespace

PF_Err AbortCheck(const PF_InData* in_data) {
  return in_data->inter.abort(in_data->effect_ref);
}

PF_Err CheckoutParam(const PF_InData* in_data, PF_ParamIndex index, PF_ParamDef* param) {
  return in_data->inter.checkout_param(in_data->effect_ref, index, in_data->current_time,
                                       in_data->time_step, in_data->time_scale, param);
}

PF_Err CheckinParam(const PF_InData* in_data, PF_ParamDef* param) {
  return in_data->inter.checkin_param(in_data->effect_ref, param);
}

PF_Err CheckoutLayer(const PF_InData* in_data, PF_PreRenderExtra* extra, PF_ParamIndex index,
                     A_long checkout_id, const PF_RenderRequest& request,
                     PF_CheckoutResult* result) {
  return extra->cb->checkout_layer(in_data->effect_ref, index, checkout_id, &request,
                                   in_data->current_time, in_data->time_step, in_data->time_scale,
                                   result);
}

PF_Err CheckoutLayerPixels(const PF_InData* in_data, PF_SmartRenderExtra* extra, A_long checkout_id,
                           PF_EffectWorld** world) {
  *world = nullptr;
  return extra->cb->checkout_layer_pixels(in_data->effect_ref, checkout_id, world);
}

PF_Err CheckinLayer(const PF_InData* in_data, PF_SmartRenderExtra* extra, A_long checkout_id) {
  return extra->cb->checkin_layer_pixels(in_data->effect_ref, checkout_id);
}

PF_Err CheckoutOutput(const PF_InData* in_data, PF_SmartRenderExtra* extra,
                      PF_EffectWorld** output) {
  *output = nullptr;
  return extra->cb->checkout_output(in_data->effect_ref, output);
}

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

PF_Err GetPixelFormat(const PF_WorldSuite2* world_suite, const PF_EffectWorld* world,
                      PF_PixelFormat* format) {
  return world_suite->PF_GetPixelFormat(world, format);
}

PF_Err NewWorld(SuiteHandler& suites, AEGP_WorldType type, A_long width, A_long height,
                HostWorld* world) {
  *world = HostWorld{};
  AEGP_WorldH handle = nullptr;
  PF_Err err = suites.WorldSuite3()->AEGP_New(kEffectPluginId, type, width, height, &handle);
  if (err != PF_Err_NONE || handle == nullptr)
    return err != PF_Err_NONE ? err : PF_Err_OUT_OF_MEMORY;
  err = suites.WorldSuite3()->AEGP_FillOutPFEffectWorld(handle, &world->world);
  if (err != PF_Err_NONE) {
    suites.WorldSuite3()->AEGP_Dispose(handle);
    world->world = PF_EffectWorld{};
    return err;
  }
  world->handle = handle;
  return PF_Err_NONE;
}

PF_Err DisposeWorld(SuiteHandler& suites, HostWorld* world) {
  if (!world->exists()) return PF_Err_NONE;
  const PF_Err err = suites.WorldSuite3()->AEGP_Dispose(world->handle);
  *world = HostWorld{};
  return err;
}

PF_Err FastBlur(SuiteHandler& suites, double radius, HostWorld* world) {
  return suites.WorldSuite3()->AEGP_FastBlur(radius, PF_MF_Alpha_STRAIGHT, PF_Quality_HI,
                                             world->handle);
}

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
