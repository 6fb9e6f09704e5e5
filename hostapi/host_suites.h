#pragma once
// The host's function suites, acquired by name and version through SPBasicSuite. The version
// passed to AcquireSuite is the macro's value, which often differs from the digit in the name.

#include "hostapi/host_callbacks.h"
#include "hostapi/host_entry.h"
#include "hostapi/host_records.h"
#include "hostapi/host_types.h"

extern "C" {

#define kSPBasicSuite "SP Basic Suite"
#define kSPBasicSuiteVersion 4

typedef struct SPBasicSuite {
  SPErr (*AcquireSuite)(const char* name, int32_t version, const void** suite);
  SPErr (*ReleaseSuite)(const char* name, int32_t version);
  SPBoolean (*IsEqual)(const char* token1, const char* token2);
  SPErr (*AllocateBlock)(size_t size, void** block);
  SPErr (*FreeBlock)(void* block);
  SPErr (*ReallocateBlock)(void* block, size_t newSize, void** newblock);
  SPErr (*Undefined)(void);
} SPBasicSuite;

// Handles. Version value 2 means 64-bit sizes.
#define kPFHandleSuite "PF Handle Suite"
#define kPFHandleSuiteVersion1 2

typedef struct PF_HandleSuite1 {
  PF_Handle (*host_new_handle)(A_HandleSize size);
  void* (*host_lock_handle)(PF_Handle pf_handle);
  void (*host_unlock_handle)(PF_Handle pf_handle);
  void (*host_dispose_handle)(PF_Handle pf_handle);
  A_HandleSize (*host_get_handle_size)(PF_Handle pf_handle);
  PF_Err (*host_resize_handle)(A_HandleSize new_sizeL, PF_Handle* handlePH);
} PF_HandleSuite1;

#define kPFANSISuite "PF ANSI Suite"
#define kPFANSISuiteVersion1 1

typedef struct PF_ANSICallbacksSuite1 {
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
} PF_ANSICallbacksSuite1;

#define kPFFillMatteSuite "PF Fill Matte Suite"
#define kPFFillMatteSuiteVersion2 2

typedef struct PF_FillMatteSuite2 {
  PF_Err (*fill)(PF_ProgPtr effect_ref, const PF_Pixel* color, const PF_Rect* dst_rect,
                 PF_EffectWorld* world);
  PF_Err (*fill16)(PF_ProgPtr effect_ref, const PF_Pixel16* color, const PF_Rect* dst_rect,
                   PF_EffectWorld* world);
  PF_Err (*fill_float)(PF_ProgPtr effect_ref, const PF_PixelFloat* color, const PF_Rect* dst_rect,
                       PF_EffectWorld* world);
  PF_Err (*premultiply)(PF_ProgPtr effect_ref, A_long forward, PF_EffectWorld* dst);
  PF_Err (*premultiply_color)(PF_ProgPtr effect_ref, PF_EffectWorld* src, const PF_Pixel* color,
                              A_long forward, PF_EffectWorld* dst);
  PF_Err (*premultiply_color16)(PF_ProgPtr effect_ref, PF_EffectWorld* src, const PF_Pixel16* color,
                                A_long forward, PF_EffectWorld* dst);
  PF_Err (*premultiply_color_float)(PF_ProgPtr effect_ref, PF_EffectWorld* src,
                                    const PF_PixelFloat* color, A_long forward,
                                    PF_EffectWorld* dst);
} PF_FillMatteSuite2;

// Iteration. The first argument is the PF_InData itself, not effect_ref.
typedef PF_Err (*PF_IterateGenericFunc)(void* refconPV, A_long thread_indexL, A_long i,
                                        A_long iterationsL);

#define kPFIterate8Suite "PF Iterate8 Suite"
#define kPFIterate8SuiteVersion1 1
#define kPFIterate8SuiteVersion2 2

typedef struct PF_Iterate8Suite1 {
  PF_Err (*iterate)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                    PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                    PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_origin)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                           PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                           void* refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_lut)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                        PF_EffectWorld* src, const PF_Rect* area, A_u_char* a_lut0,
                        A_u_char* r_lut0, A_u_char* g_lut0, A_u_char* b_lut0, PF_EffectWorld* dst);
  PF_Err (*iterate_origin_non_clip_src)(PF_InData* in_data, A_long progress_base,
                                        A_long progress_final, PF_EffectWorld* src,
                                        const PF_Rect* area, const PF_Point* origin, void* refcon,
                                        PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_generic)(A_long iterationsL, void* refconPV, PF_IterateGenericFunc fn_func);
} PF_Iterate8Suite1;
typedef PF_Iterate8Suite1 PF_Iterate8Suite2;

#define kPFIterate16Suite "PF iterate16 Suite"
#define kPFIterate16SuiteVersion1 1
#define kPFIterate16SuiteVersion2 2

typedef struct PF_iterate16Suite1 {
  PF_Err (*iterate)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                    PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                    PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_origin)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                           PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                           void* refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_origin_non_clip_src)(PF_InData* in_data, A_long progress_base,
                                        A_long progress_final, PF_EffectWorld* src,
                                        const PF_Rect* area, const PF_Point* origin, void* refcon,
                                        PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
} PF_Iterate16Suite1;
typedef PF_Iterate16Suite1 PF_Iterate16Suite2;

#define kPFIterateFloatSuite "PF iterateFloat Suite"
#define kPFIterateFloatSuiteVersion1 1
#define kPFIterateFloatSuiteVersion2 2

typedef struct PF_iterateFloatSuite1 {
  PF_Err (*iterate)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                    PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                    PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_origin)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                           PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                           void* refcon, PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst);
  PF_Err (*iterate_origin_non_clip_src)(PF_InData* in_data, A_long progress_base,
                                        A_long progress_final, PF_EffectWorld* src,
                                        const PF_Rect* area, const PF_Point* origin, void* refcon,
                                        PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst);
} PF_IterateFloatSuite1;
typedef PF_IterateFloatSuite1 PF_IterateFloatSuite2;

// Copies, blends and compositing between worlds.
#define kPFWorldTransformSuite "PF World Transform Suite"
#define kPFWorldTransformSuiteVersion1 1

typedef struct PF_WorldTransformSuite1 {
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
  PF_Err (*copy_hq)(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* src_r,
                    PF_Rect* dst_r);
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
} PF_WorldTransformSuite1;

#define kPFWorldSuite "PF World Suite"
#define kPFWorldSuiteVersion1 1
#define kPFWorldSuiteVersion2 2

typedef struct PF_WorldSuite1 {
  PF_Err (*new_world)(PF_ProgPtr effect_ref, A_long width, A_long height, PF_NewWorldFlags flags,
                      PF_EffectWorld* world);
  PF_Err (*dispose_world)(PF_ProgPtr effect_ref, PF_EffectWorld* world);
} PF_WorldSuite1;

typedef struct PF_WorldSuite2 {
  PF_Err (*PF_NewWorld)(PF_ProgPtr effect_ref, A_long widthL, A_long heightL, PF_Boolean clear_pixB,
                        PF_PixelFormat pixel_format, PF_EffectWorld* worldP);
  PF_Err (*PF_DisposeWorld)(PF_ProgPtr effect_ref, PF_EffectWorld* worldP);
  PF_Err (*PF_GetPixelFormat)(const PF_EffectWorld* worldP, PF_PixelFormat* pixel_formatP);
} PF_WorldSuite2;

#define kPFPixelFormatSuite "PF Pixel Format Suite"
#define kPFPixelFormatSuiteVersion2 2

typedef struct PF_PixelFormatSuite2 {
  PF_Err (*PF_AddSupportedPixelFormat)(PF_ProgPtr effect_ref, PF_PixelFormat pixel_format);
  PF_Err (*PF_ClearSupportedPixelFormats)(PF_ProgPtr effect_ref);
} PF_PixelFormatSuite2;

// Parameter utilities. Version value 2 is the ten-slot layout PF_ParamUtilsSuite1.
#define kPFParamUtilsSuite "PF Param Utils Suite"
#define kPFParamUtilsSuiteVersion1 2
#define kPFParamUtilsSuiteVersion3 3

typedef struct PF_ParamUtilsSuite1 {
  PF_Err (*PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                             const PF_ParamDef* defP);
  PF_Err (*PF_GetCurrentStateObsolete)(PF_ProgPtr effect_ref, PF_State* stateP);
  PF_Err (*PF_HasParamChangedObsolete)(PF_ProgPtr effect_ref, const PF_State* stateP,
                                       PF_ParamIndex param_index, PF_Boolean* changedPB);
  PF_Err (*PF_HaveInputsChangedOverTimeSpanObsolete)(PF_ProgPtr effect_ref, const PF_State* stateP,
                                                     const A_Time* startPT0,
                                                     const A_Time* durationPT0,
                                                     PF_Boolean* changedPB);
  PF_Err (*PF_IsIdenticalCheckout)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                   A_long what_time1, A_long time_step1, A_u_long time_scale1,
                                   A_long what_time2, A_long time_step2, A_u_long time_scale2,
                                   PF_Boolean* identicalPB);
  PF_Err (*PF_FindKeyframeTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, A_long what_time,
                                A_u_long time_scale, PF_TimeDir time_dir, PF_Boolean* foundPB,
                                PF_KeyIndex* key_indexP0, A_long* key_timeP0,
                                A_u_long* key_timescaleP0);
  PF_Err (*PF_GetKeyframeCount)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                PF_KeyIndex* key_countP);
  PF_Err (*PF_CheckoutKeyframe)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                PF_KeyIndex key_index, A_long* key_timeP0,
                                A_u_long* key_timescaleP0, PF_ParamDef* paramP0);
  PF_Err (*PF_CheckinKeyframe)(PF_ProgPtr effect_ref, PF_ParamDef* paramP);
  PF_Err (*PF_KeyIndexToTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                              PF_KeyIndex key_index, A_long* key_timeP, A_u_long* key_timescaleP);
} PF_ParamUtilsSuite1;

typedef struct PF_ParamUtilsSuite3 {
  PF_Err (*PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                             const PF_ParamDef* defP);
  PF_Err (*PF_GetCurrentState)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                               const A_Time* startPT0, const A_Time* durationPT0, PF_State* stateP);
  PF_Err (*PF_AreStatesIdentical)(PF_ProgPtr effect_ref, const PF_State* state1P,
                                  const PF_State* state2P, A_Boolean* samePB);
  PF_Err (*PF_IsIdenticalCheckout)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                   A_long what_time1, A_long time_step1, A_u_long time_scale1,
                                   A_long what_time2, A_long time_step2, A_u_long time_scale2,
                                   PF_Boolean* identicalPB);
  PF_Err (*PF_FindKeyframeTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, A_long what_time,
                                A_u_long time_scale, PF_TimeDir time_dir, PF_Boolean* foundPB,
                                PF_KeyIndex* key_indexP0, A_long* key_timeP0,
                                A_u_long* key_timescaleP0);
  PF_Err (*PF_GetKeyframeCount)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                PF_KeyIndex* key_countP);
  PF_Err (*PF_CheckoutKeyframe)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                PF_KeyIndex key_index, A_long* key_timeP0,
                                A_u_long* key_timescaleP0, PF_ParamDef* paramP0);
  PF_Err (*PF_CheckinKeyframe)(PF_ProgPtr effect_ref, PF_ParamDef* paramP);
  PF_Err (*PF_KeyIndexToTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                              PF_KeyIndex key_index, A_long* key_timeP, A_u_long* key_timescaleP);
} PF_ParamUtilsSuite3;

// AEGP worlds: allocation, access and the fast blur (in place, only on worlds made here).
#define kAEGPWorldSuite "AEGP World Suite"
#define kAEGPWorldSuiteVersion1 1
#define kAEGPWorldSuiteVersion2 2
#define kAEGPWorldSuiteVersion3 3

typedef struct {
  A_Err (*AEGP_New)(AEGP_PluginID plugin_id, AEGP_WorldType type, A_long widthL, A_long heightL,
                    AEGP_WorldH* worldPH);
  A_Err (*AEGP_Dispose)(AEGP_WorldH worldH);
  A_Err (*AEGP_GetType)(AEGP_WorldH worldH, AEGP_WorldType* typeP);
  A_Err (*AEGP_GetSize)(AEGP_WorldH worldH, A_long* widthPL, A_long* heightPL);
  A_Err (*AEGP_GetRowBytes)(AEGP_WorldH worldH, A_u_long* row_bytesPL);
  A_Err (*AEGP_GetBaseAddr8)(AEGP_WorldH worldH, PF_Pixel8** base_addrP);
  A_Err (*AEGP_GetBaseAddr16)(AEGP_WorldH worldH, PF_Pixel16** base_addrP);
  A_Err (*AEGP_GetBaseAddr32)(AEGP_WorldH worldH, PF_PixelFloat** base_addrP);
  A_Err (*AEGP_FillOutPFEffectWorld)(AEGP_WorldH worldH, PF_EffectWorld* pf_worldP);
  A_Err (*AEGP_FastBlur)(A_FpLong radiusF, PF_ModeFlags mode, PF_Quality quality,
                         AEGP_WorldH worldH);
  A_Err (*AEGP_NewPlatformWorld)(AEGP_PluginID plugin_id, AEGP_WorldType type, A_long widthL,
                                 A_long heightL, AEGP_PlatformWorldH* worldPH);
  A_Err (*AEGP_DisposePlatformWorld)(AEGP_PlatformWorldH worldH);
  A_Err (*AEGP_NewReferenceFromPlatformWorld)(AEGP_PluginID plugin_id,
                                              AEGP_PlatformWorldH platform_worldH,
                                              AEGP_WorldH* worldPH);
} AEGP_WorldSuite3;

// Reached from an effect to find its own layer and effect reference.
#define kAEGPPFInterfaceSuite "AEGP PF Interface Suite"
#define kAEGPPFInterfaceSuiteVersion1 1

typedef struct AEGP_PFInterfaceSuite1 {
  A_Err (*AEGP_GetEffectLayer)(PF_ProgPtr effect_pp_ref, AEGP_LayerH* layerPH);
  A_Err (*AEGP_GetNewEffectForEffect)(AEGP_PluginID aegp_plugin_id, PF_ProgPtr effect_pp_ref,
                                      AEGP_EffectRefH* effect_refPH);
  A_Err (*AEGP_ConvertEffectToCompTime)(PF_ProgPtr effect_pp_ref, A_long what_timeL,
                                        A_u_long time_scaleLu, A_Time* comp_timePT);
  A_Err (*AEGP_GetEffectCamera)(PF_ProgPtr effect_pp_ref, const A_Time* comp_timePT,
                                AEGP_LayerH* camera_layerPH);
  A_Err (*AEGP_GetEffectCameraMatrix)(PF_ProgPtr effect_pp_ref, const A_Time* comp_timePT,
                                      A_Matrix4* camera_matrixP, A_FpLong* dist_to_image_planePF,
                                      A_short* image_plane_widthPL, A_short* image_plane_heightPL);
} AEGP_PFInterfaceSuite1;

// Streams. "AEGP Stream Suite" at value 9 has the AEGP_StreamSuite4 layout.
#define kAEGPStreamSuite "AEGP Stream Suite"
#define kAEGPStreamSuiteVersion1 4
#define kAEGPStreamSuiteVersion2 7
#define kAEGPStreamSuiteVersion3 8
#define kAEGPStreamSuiteVersion4 9
#define kAEGPStreamSuiteVersion5 10
#define kAEGPStreamSuiteVersion6 11

typedef struct AEGP_StreamSuite4 {
  A_Err (*AEGP_IsStreamLegal)(AEGP_LayerH layerH, AEGP_LayerStream which_stream,
                              A_Boolean* is_legalP);
  A_Err (*AEGP_CanVaryOverTime)(AEGP_StreamRefH streamH, A_Boolean* can_varyPB);
  A_Err (*AEGP_GetValidInterpolations)(AEGP_StreamRefH streamH,
                                       AEGP_KeyInterpolationMask* valid_interpolationsP);
  A_Err (*AEGP_GetNewLayerStream)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                                  AEGP_LayerStream which_stream, AEGP_StreamRefH* streamPH);
  A_Err (*AEGP_GetEffectNumParamStreams)(AEGP_EffectRefH effect_refH, A_long* num_paramsPL);
  A_Err (*AEGP_GetNewEffectStreamByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effect_refH,
                                          PF_ParamIndex param_index, AEGP_StreamRefH* streamPH);
  A_Err (*AEGP_GetNewMaskStream)(AEGP_PluginID aegp_plugin_id, AEGP_MaskRefH mask_refH,
                                 AEGP_MaskStream which_stream, AEGP_StreamRefH* mask_streamPH);
  A_Err (*AEGP_DisposeStream)(AEGP_StreamRefH streamH);
  A_Err (*AEGP_GetStreamName)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                              A_Boolean force_englishB, AEGP_MemHandle* utf_stream_namePH);
  A_Err (*AEGP_GetStreamUnitsText)(AEGP_StreamRefH streamH, A_Boolean force_englishB,
                                   A_char* unitsZ);
  A_Err (*AEGP_GetStreamProperties)(AEGP_StreamRefH streamH, AEGP_StreamFlags* flagsP,
                                    A_FpLong* minP0, A_FpLong* maxP0);
  A_Err (*AEGP_IsStreamTimevarying)(AEGP_StreamRefH streamH, A_Boolean* is_timevaryingPB);
  A_Err (*AEGP_GetStreamType)(AEGP_StreamRefH streamH, AEGP_StreamType* stream_typeP);
  A_Err (*AEGP_GetNewStreamValue)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                  AEGP_LTimeMode time_mode, const A_Time* timePT,
                                  A_Boolean pre_expressionB, AEGP_StreamValue2* valueP);
  A_Err (*AEGP_DisposeStreamValue)(AEGP_StreamValue2* valueP);
  A_Err (*AEGP_SetStreamValue)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                               AEGP_StreamValue2* valueP);
  A_Err (*AEGP_GetLayerStreamValue)(AEGP_LayerH layerH, AEGP_LayerStream which_stream,
                                    AEGP_LTimeMode time_mode, const A_Time* timePT,
                                    A_Boolean pre_expressionB, AEGP_StreamVal2* stream_valP,
                                    AEGP_StreamType* stream_typeP0);
  A_Err (*AEGP_GetExpressionState)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                   A_Boolean* enabledPB);
  A_Err (*AEGP_SetExpressionState)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                   A_Boolean enabledB);
  A_Err (*AEGP_GetExpression)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                              AEGP_MemHandle* expressionHZ);
  A_Err (*AEGP_SetExpression)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                              const A_char* expressionP);
  A_Err (*AEGP_DuplicateStreamRef)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                   AEGP_StreamRefH* dup_streamPH);
} AEGP_StreamSuite4;

// Effects on layers. Version value 2 still lacks effect_cmd in AEGP_EffectCallGeneric.
#define kAEGPEffectSuite "AEGP Effect Suite"
#define kAEGPEffectSuiteVersion1 1
#define kAEGPEffectSuiteVersion2 2
#define kAEGPEffectSuiteVersion3 3
#define kAEGPEffectSuiteVersion4 4
#define kAEGPEffectSuiteVersion5 5

typedef struct AEGP_EffectSuite2 {
  A_Err (*AEGP_GetLayerNumEffects)(AEGP_LayerH layerH, A_long* num_effectsPL);
  A_Err (*AEGP_GetLayerEffectByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                                      AEGP_EffectIndex layer_effect_indexL,
                                      AEGP_EffectRefH* effectPH);
  A_Err (*AEGP_GetInstalledKeyFromLayerEffect)(AEGP_EffectRefH effect_refH,
                                               AEGP_InstalledEffectKey* installed_effect_keyP);
  A_Err (*AEGP_GetEffectParamUnionByIndex)(AEGP_PluginID aegp_plugin_id,
                                           AEGP_EffectRefH effect_refH, PF_ParamIndex param_index,
                                           PF_ParamType* param_typeP, PF_ParamDefUnion* uP0);
  A_Err (*AEGP_GetEffectFlags)(AEGP_EffectRefH effect_refH, AEGP_EffectFlags* effect_flagsP);
  A_Err (*AEGP_SetEffectFlags)(AEGP_EffectRefH effect_refH, AEGP_EffectFlags effect_flags_set_mask,
                               AEGP_EffectFlags effect_flags);
  A_Err (*AEGP_ReorderEffect)(AEGP_EffectRefH effect_refH, A_long effect_indexL);
  A_Err (*AEGP_EffectCallGeneric)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effect_refH,
                                  const A_Time* timePT, void* effect_extraPV);
  A_Err (*AEGP_DisposeEffect)(AEGP_EffectRefH effect_refH);
  A_Err (*AEGP_ApplyEffect)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                            AEGP_InstalledEffectKey installed_effect_key,
                            AEGP_EffectRefH* effect_refPH);
  A_Err (*AEGP_DeleteLayerEffect)(AEGP_EffectRefH effect_refH);
  A_Err (*AEGP_GetNumInstalledEffects)(A_long* num_installed_effectsPL);
  A_Err (*AEGP_GetNextInstalledEffect)(AEGP_InstalledEffectKey key,
                                       AEGP_InstalledEffectKey* next_keyPH);
  A_Err (*AEGP_GetEffectName)(AEGP_InstalledEffectKey installed_key, A_char* nameZ);
  A_Err (*AEGP_GetEffectMatchName)(AEGP_InstalledEffectKey installed_key, A_char* matchnameZ);
  A_Err (*AEGP_GetEffectCategory)(AEGP_InstalledEffectKey installed_key, A_char* categoryZ);
  A_Err (*AEGP_DuplicateEffect)(AEGP_EffectRefH original_effect_refH,
                                AEGP_EffectRefH* duplicate_effect_refPH);
} AEGP_EffectSuite2;

typedef struct AEGP_EffectSuite4 {
  A_Err (*AEGP_GetLayerNumEffects)(AEGP_LayerH layerH, A_long* num_effectsPL);
  A_Err (*AEGP_GetLayerEffectByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                                      AEGP_EffectIndex layer_effect_indexL,
                                      AEGP_EffectRefH* effectPH);
  A_Err (*AEGP_GetInstalledKeyFromLayerEffect)(AEGP_EffectRefH effect_refH,
                                               AEGP_InstalledEffectKey* installed_effect_keyP);
  A_Err (*AEGP_GetEffectParamUnionByIndex)(AEGP_PluginID aegp_plugin_id,
                                           AEGP_EffectRefH effect_refH, PF_ParamIndex param_index,
                                           PF_ParamType* param_typeP, PF_ParamDefUnion* uP0);
  A_Err (*AEGP_GetEffectFlags)(AEGP_EffectRefH effect_refH, AEGP_EffectFlags* effect_flagsP);
  A_Err (*AEGP_SetEffectFlags)(AEGP_EffectRefH effect_refH, AEGP_EffectFlags effect_flags_set_mask,
                               AEGP_EffectFlags effect_flags);
  A_Err (*AEGP_ReorderEffect)(AEGP_EffectRefH effect_refH, A_long effect_indexL);
  A_Err (*AEGP_EffectCallGeneric)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effect_refH,
                                  const A_Time* timePT, PF_Cmd effect_cmd, void* effect_extraPV);
  A_Err (*AEGP_DisposeEffect)(AEGP_EffectRefH effect_refH);
  A_Err (*AEGP_ApplyEffect)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH,
                            AEGP_InstalledEffectKey installed_effect_key,
                            AEGP_EffectRefH* effect_refPH);
  A_Err (*AEGP_DeleteLayerEffect)(AEGP_EffectRefH effect_refH);
  A_Err (*AEGP_GetNumInstalledEffects)(A_long* num_installed_effectsPL);
  A_Err (*AEGP_GetNextInstalledEffect)(AEGP_InstalledEffectKey key,
                                       AEGP_InstalledEffectKey* next_keyPH);
  A_Err (*AEGP_GetEffectName)(AEGP_InstalledEffectKey installed_key, A_char* nameZ);
  A_Err (*AEGP_GetEffectMatchName)(AEGP_InstalledEffectKey installed_key, A_char* matchnameZ);
  A_Err (*AEGP_GetEffectCategory)(AEGP_InstalledEffectKey installed_key, A_char* categoryZ);
  A_Err (*AEGP_DuplicateEffect)(AEGP_EffectRefH original_effect_refH,
                                AEGP_EffectRefH* duplicate_effect_refPH);
  A_Err (*AEGP_NumEffectMask)(AEGP_EffectRefH effect_refH, A_u_long* num_masksPL);
  A_Err (*AEGP_GetEffectMaskID)(AEGP_EffectRefH effect_refH, A_u_long mask_indexL,
                                AEGP_MaskIDVal* id_valP);
  A_Err (*AEGP_AddEffectMask)(AEGP_EffectRefH effect_refH, AEGP_MaskIDVal id_val,
                              AEGP_StreamRefH* streamPH0);
  A_Err (*AEGP_RemoveEffectMask)(AEGP_EffectRefH effect_refH, AEGP_MaskIDVal id_val);
  A_Err (*AEGP_SetEffectMask)(AEGP_EffectRefH effect_refH, A_u_long mask_indexL,
                              AEGP_MaskIDVal id_val, AEGP_StreamRefH* streamPH0);
} AEGP_EffectSuite4;

}  // extern "C"
