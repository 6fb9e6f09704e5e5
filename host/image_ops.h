#pragma once
// The effect's thin layer over the host's image services. Each function makes one host call
// (or the few calls one service needs) and returns the host's error code unchanged; suites
// come from the caller's SuiteHandler, which throws the suite error when one is missing.

#include "host/suite_handler.h"
#include "hostapi/host_api.h"

namespace velmora {

// An off-screen world of the host: the AEGP handle plus its effect-world description.
// A world whose handle is null does not exist.
struct HostWorld {
  AEGP_WorldH handle = nullptr;
  PF_EffectWorld world{};
  bool exists() const { return handle != nullptr; }
};

// Interaction callbacks of in_data.
PF_Err AbortCheck(const PF_InData* in_data);  // nonzero: stop with this code
// Checked out at in_data's current_time, time_step and time_scale.
PF_Err CheckoutParam(const PF_InData* in_data, PF_ParamIndex index, PF_ParamDef* param);
PF_Err CheckinParam(const PF_InData* in_data, PF_ParamDef* param);

// SmartFX callbacks. The pre-render's request for a layer, at in_data's current time.
PF_Err CheckoutLayer(const PF_InData* in_data, PF_PreRenderExtra* extra, PF_ParamIndex index,
                     A_long checkout_id, const PF_RenderRequest& request,
                     PF_CheckoutResult* result);
// The render's pixels of a checked-out layer; *world is null when the host has none.
PF_Err CheckoutLayerPixels(const PF_InData* in_data, PF_SmartRenderExtra* extra, A_long checkout_id,
                           PF_EffectWorld** world);
PF_Err CheckinLayer(const PF_InData* in_data, PF_SmartRenderExtra* extra, A_long checkout_id);
PF_Err CheckoutOutput(const PF_InData* in_data, PF_SmartRenderExtra* extra,
                      PF_EffectWorld** output);

// The colour of the effect's own parameter stream `index`, read at layer time 0 (scale 100)
// before expressions: the same value on every frame, whatever its animation.
PF_Err GetEffectStreamColor(SuiteHandler& suites, const PF_InData* in_data, PF_ParamIndex index,
                            AEGP_ColorVal* color);

// "PF World Suite" 2 is held by the render itself (SuiteScoper), so it is passed in.
PF_Err GetPixelFormat(const PF_WorldSuite2* world_suite, const PF_EffectWorld* world,
                      PF_PixelFormat* format);

// "AEGP World Suite" 3, plug-in id 0. NewWorld fills world->world with the effect-world
// description; on failure world is left not existing. DisposeWorld does nothing to a world
// that does not exist and leaves it not existing in every case.
PF_Err NewWorld(SuiteHandler& suites, AEGP_WorldType type, A_long width, A_long height,
                HostWorld* world);
PF_Err DisposeWorld(SuiteHandler& suites, HostWorld* world);
// In place, straight alpha (mode 1), high quality (1).
PF_Err FastBlur(SuiteHandler& suites, double radius, HostWorld* world);

// "PF World Transform Suite" 1. Null rectangles mean the whole world; the host clips and
// stretches, and the source may be the destination.
PF_Err CopyRect(SuiteHandler& suites, const PF_InData* in_data, PF_EffectWorld* src,
                PF_EffectWorld* dst, PF_Rect* src_rect, PF_Rect* dst_rect);
PF_Err CopyRectHQ(SuiteHandler& suites, const PF_InData* in_data, PF_EffectWorld* src,
                  PF_EffectWorld* dst, PF_Rect* src_rect, PF_Rect* dst_rect);
// No mask.
PF_Err TransferRect(SuiteHandler& suites, const PF_InData* in_data, PF_Quality quality,
                    PF_ModeFlags mode_flags, PF_Field field, const PF_Rect* src_rect,
                    const PF_EffectWorld* src, const PF_CompositeMode& composite, A_long dest_x,
                    A_long dest_y, PF_EffectWorld* dst);

// "PF Fill Matte Suite" 2, one overload per pixel depth. A null colour clears, a null
// rectangle means the whole world.
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

// The iteration suite of each depth ("PF Iterate8 Suite", "PF iterate16 Suite",
// "PF iterateFloat Suite", version 1): the whole of src, progress 0 to progress_final.
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
