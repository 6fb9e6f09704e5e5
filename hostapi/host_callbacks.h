#pragma once
// The callback blocks the host hands over inside PF_InData: interaction callbacks (embedded)
// and utility callbacks (pointed to), with their embedded maths and colour blocks.

#include "hostapi/host_records.h"
#include "hostapi/host_types.h"

extern "C" {

struct PF_InData;

// Per-pixel functions of the iteration services.
typedef PF_Err (*PF_IteratePixel8Func)(void* refcon, A_long x, A_long y, PF_Pixel* in,
                                       PF_Pixel* out);
typedef PF_Err (*PF_IteratePixel16Func)(void* refcon, A_long x, A_long y, PF_Pixel16* in,
                                        PF_Pixel16* out);
typedef PF_Err (*PF_IteratePixelFloatFunc)(void* refcon, A_long x, A_long y, PF_PixelFloat* in,
                                           PF_PixelFloat* out);

typedef struct {
  PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                           A_long time_step, A_u_long time_scale, PF_ParamDef* param);
  PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef* param);
  PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef* def);
  PF_Err (*abort)(PF_ProgPtr effect_ref);
  PF_Err (*progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
  PF_Err (*register_ui)(PF_ProgPtr effect_ref, PF_CustomUIInfo* cust_info);
  PF_Err (*checkout_layer_audio)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long start_time,
                                 A_long duration, A_u_long time_scale, PF_UFixed rate,
                                 A_long bytes_per_sample, A_long num_channels, A_long fmt_signed,
                                 PF_LayerAudio* audio);
  PF_Err (*checkin_layer_audio)(PF_ProgPtr effect_ref, PF_LayerAudio audio);
  PF_Err (*get_audio_data)(PF_ProgPtr effect_ref, PF_LayerAudio audio, PF_SndSamplePtr* data0,
                           A_long* num_samples0, PF_UFixed* rate0, A_long* bytes_per_sample0,
                           A_long* num_channels0, A_long* fmt_signed0);
  void* reserved_str[3];
  void* reserved[10];
} PF_InteractCallbacks;

typedef struct {
  double (*atan)(double);
  double (*atan2)(double y, double x);
  double (*ceil)(double);
  double (*cos)(double);
  double (*exp)(double);
  double (*fabs)(double);
  double (*floor)(double);
  double (*fmod)(double x, double y);
  double (*hypot)(double x, double y);
  double (*log)(double);
  double (*log10)(double);
  double (*pow)(double x, double y);
  double (*sin)(double);
  double (*sqrt)(double);
  double (*tan)(double);
  int (*sprintf)(A_char* dst, const A_char* fmt, ...);
  A_char* (*strcpy)(A_char* dst, const A_char* src);
  double (*asin)(double);
  double (*acos)(double);
  A_long ansi_procs[1];
} PF_ANSICallbacks;

typedef struct {
  PF_Err (*RGBtoHLS)(PF_ProgPtr effect_ref, PF_Pixel* rgb, PF_HLS_Pixel hls);
  PF_Err (*HLStoRGB)(PF_ProgPtr effect_ref, PF_HLS_Pixel hls, PF_Pixel* rgb);
  PF_Err (*RGBtoYIQ)(PF_ProgPtr effect_ref, PF_Pixel* rgb, PF_YIQ_Pixel yiq);
  PF_Err (*YIQtoRGB)(PF_ProgPtr effect_ref, PF_YIQ_Pixel yiq, PF_Pixel* rgb);
  PF_Err (*Luminance)(PF_ProgPtr effect_ref, PF_Pixel* rgb, A_long* lum100);
  PF_Err (*Hue)(PF_ProgPtr effect_ref, PF_Pixel* rgb, A_long* hue);
  PF_Err (*Lightness)(PF_ProgPtr effect_ref, PF_Pixel* rgb, A_long* lightness);
  PF_Err (*Saturation)(PF_ProgPtr effect_ref, PF_Pixel* rgb, A_long* saturation);
} PF_ColorCallbacks;

typedef struct _PF_UtilCallbacks {
  PF_Err (*begin_sampling)(PF_ProgPtr effect_ref, PF_Quality qual, PF_ModeFlags mf,
                           PF_SampPB* params);
  PF_Err (*subpixel_sample)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y, const PF_SampPB* params,
                            PF_Pixel* dst_pixel);
  PF_Err (*area_sample)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y, const PF_SampPB* params,
                        PF_Pixel* dst_pixel);
  void* get_batch_func_is_deprecated;
  PF_Err (*end_sampling)(PF_ProgPtr effect_ref, PF_Quality qual, PF_ModeFlags mf,
                         PF_SampPB* params);
  PF_Err (*composite_rect)(PF_ProgPtr effect_ref, PF_Rect* src_rect, A_long src_opacity,
                           PF_EffectWorld* source_wld, A_long dest_x, A_long dest_y,
                           PF_Field field_rdr, PF_XferMode xfer_mode, PF_EffectWorld* dest_wld);
  PF_Err (*blend)(PF_ProgPtr effect_ref, const PF_EffectWorld* src1, const PF_EffectWorld* src2,
                  PF_Fixed ratio, PF_EffectWorld* dst);
  PF_Err (*convolve)(PF_ProgPtr effect_ref, PF_EffectWorld* src, const PF_Rect* area,
                     PF_KernelFlags flags, A_long kernel_size, void* a_kernel, void* r_kernel,
                     void* g_kernel, void* b_kernel, PF_EffectWorld* dst);
  PF_Err (*copy)(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* src_r,
                 PF_Rect* dst_r);
  PF_Err (*fill)(PF_ProgPtr effect_ref, const PF_Pixel* color, const PF_Rect* dst_rect,
                 PF_EffectWorld* world);
  PF_Err (*gaussian_kernel)(PF_ProgPtr effect_ref, A_FpLong kRadius, PF_KernelFlags flags,
                            A_FpLong multiplier, A_long* diameter, void* kernel);
  PF_Err (*iterate)(struct PF_InData* in_data, A_long progress_base, A_long progress_final,
                    PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                    PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*premultiply)(PF_ProgPtr effect_ref, A_long forward, PF_EffectWorld* dst);
  PF_Err (*premultiply_color)(PF_ProgPtr effect_ref, PF_EffectWorld* src, const PF_Pixel* color,
                              A_long forward, PF_EffectWorld* dst);
  PF_Err (*new_world)(PF_ProgPtr effect_ref, A_long width, A_long height, PF_NewWorldFlags flags,
                      PF_EffectWorld* world);
  PF_Err (*dispose_world)(PF_ProgPtr effect_ref, PF_EffectWorld* world);
  PF_Err (*iterate_origin)(struct PF_InData* in_data, A_long progress_base, A_long progress_final,
                           PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                           void* refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_lut)(struct PF_InData* in_data, A_long progress_base, A_long progress_final,
                        PF_EffectWorld* src, const PF_Rect* area, A_u_char* a_lut0,
                        A_u_char* r_lut0, A_u_char* g_lut0, A_u_char* b_lut0, PF_EffectWorld* dst);
  PF_Err (*transfer_rect)(PF_ProgPtr effect_ref, PF_Quality quality, PF_ModeFlags m_flags,
                          PF_Field field, const PF_Rect* src_rec, const PF_EffectWorld* src_world,
                          const PF_CompositeMode* comp_mode, const PF_MaskWorld* mask_world0,
                          A_long dest_x, A_long dest_y, PF_EffectWorld* dst_world);
  PF_Err (*transform_world)(PF_ProgPtr effect_ref, PF_Quality quality, PF_ModeFlags m_flags,
                            PF_Field field, const PF_EffectWorld* src_world,
                            const PF_CompositeMode* comp_mode, const PF_MaskWorld* mask_world0,
                            const PF_FloatMatrix* matrices, A_long num_matrices,
                            PF_Boolean src2dst_matrix, const PF_Rect* dest_rect,
                            PF_EffectWorld* dst_world);
  PF_Handle (*host_new_handle)(A_u_longlong size);
  void* (*host_lock_handle)(PF_Handle pf_handle);
  void (*host_unlock_handle)(PF_Handle pf_handle);
  void (*host_dispose_handle)(PF_Handle pf_handle);
  PF_Err (*get_callback_addr)(PF_ProgPtr effect_ref, PF_Quality quality, PF_ModeFlags mode_flags,
                              PF_CallbackID which_callback, PF_CallbackFunc* fn_ptr);
  PF_Err (*app)(PF_ProgPtr effect_ref, A_long selector, ...);
  PF_ANSICallbacks ansi;
  PF_ColorCallbacks colorCB;
  PF_Err (*get_platform_data)(PF_ProgPtr effect_ref, PF_PlatDataID which, void* data);
  A_u_longlong (*host_get_handle_size)(PF_Handle pf_handle);
  PF_Err (*iterate_origin_non_clip_src)(struct PF_InData* in_data, A_long progress_base,
                                        A_long progress_final, PF_EffectWorld* src,
                                        const PF_Rect* area, const PF_Point* origin, void* refcon,
                                        PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_generic)(A_long iterationsL, void* refconPV,
                            PF_Err (*fn_func)(void* refconPV, A_long thread_indexL, A_long i,
                                              A_long iterationsL));
  PF_Err (*host_resize_handle)(A_u_longlong new_sizeL, PF_Handle* handlePH);
  PF_Err (*subpixel_sample16)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y,
                              const PF_SampPB* params, PF_Pixel16* dst_pixel);
  PF_Err (*area_sample16)(PF_ProgPtr effect_ref, PF_Fixed x, PF_Fixed y, const PF_SampPB* params,
                          PF_Pixel16* dst_pixel);
  PF_Err (*fill16)(PF_ProgPtr effect_ref, const PF_Pixel16* color, const PF_Rect* dst_rect,
                   PF_EffectWorld* world);
  PF_Err (*premultiply_color16)(PF_ProgPtr effect_ref, PF_EffectWorld* src, const PF_Pixel16* color,
                                A_long forward, PF_EffectWorld* dst);
  PF_Err (*iterate16)(struct PF_InData* in_data, A_long progress_base, A_long progress_final,
                      PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                      PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_origin16)(struct PF_InData* in_data, A_long progress_base, A_long progress_final,
                             PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                             void* refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_origin_non_clip_src16)(struct PF_InData* in_data, A_long progress_base,
                                          A_long progress_final, PF_EffectWorld* src,
                                          const PF_Rect* area, const PF_Point* origin, void* refcon,
                                          PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*get_pixel_data8)(PF_EffectWorld* worldP, PF_PixelPtr pixelsP0, PF_Pixel8** pixPP);
  PF_Err (*get_pixel_data16)(PF_EffectWorld* worldP, PF_PixelPtr pixelsP0, PF_Pixel16** pixPP);
  A_long reserved[1];
} PF_UtilCallbacks;

}  // extern "C"
