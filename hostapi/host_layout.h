#pragma once
// Compile-time proof that our declarations have the host's Windows x64 layout. Every width is
// fixed, so the same sizes and offsets hold on 64-bit Linux as well.

#include <cstddef>

#include "hostapi/host_api.h"

#define VELMORA_EXPECT_SIZE(type, size, align)                                  \
  static_assert(sizeof(type) == (size), #type " size differs from the host's"); \
  static_assert(alignof(type) == (align), #type " alignment differs from the host's")
#define VELMORA_EXPECT_OFFSET(type, field, offset) \
  static_assert(offsetof(type, field) == (offset), \
                #type "::" #field " offset differs from the host's")

static_assert(sizeof(void*) == 8, "the host is a 64-bit program");

VELMORA_EXPECT_SIZE(A_long, 4, 4);
VELMORA_EXPECT_SIZE(PF_Boolean, 1, 1);
VELMORA_EXPECT_SIZE(PF_Handle, 8, 8);
VELMORA_EXPECT_SIZE(AEGP_LTimeMode, 2, 2);
VELMORA_EXPECT_SIZE(PF_RenderOutputFlags, 2, 2);
VELMORA_EXPECT_SIZE(PF_ValueDisplayFlags, 2, 2);

VELMORA_EXPECT_SIZE(PF_InData, 408, 8);
VELMORA_EXPECT_SIZE(PF_OutData, 408, 8);
VELMORA_EXPECT_SIZE(PF_ParamDef, 176, 8);
VELMORA_EXPECT_SIZE(PF_ParamDefUnion, 120, 8);
VELMORA_EXPECT_SIZE(PF_LayerDef, 120, 8);
VELMORA_EXPECT_SIZE(PF_SliderDef, 88, 4);
VELMORA_EXPECT_SIZE(PF_FixedSliderDef, 92, 4);
VELMORA_EXPECT_SIZE(PF_FloatSliderDef, 88, 8);
VELMORA_EXPECT_SIZE(PF_AngleDef, 16, 4);
VELMORA_EXPECT_SIZE(PF_CheckBoxDef, 16, 8);
VELMORA_EXPECT_SIZE(PF_ColorDef, 8, 1);
VELMORA_EXPECT_SIZE(PF_PointDef, 20, 4);
VELMORA_EXPECT_SIZE(PF_PopupDef, 16, 8);
VELMORA_EXPECT_SIZE(PF_ArbitraryDef, 32, 8);
VELMORA_EXPECT_SIZE(PF_PathDef, 12, 4);
VELMORA_EXPECT_SIZE(PF_ButtonDef, 16, 8);
VELMORA_EXPECT_SIZE(PF_Point3DDef, 64, 8);
VELMORA_EXPECT_SIZE(PF_Pixel, 4, 1);
VELMORA_EXPECT_SIZE(PF_Pixel16, 8, 2);
VELMORA_EXPECT_SIZE(PF_PixelFloat, 16, 4);
VELMORA_EXPECT_SIZE(PF_LRect, 16, 4);
VELMORA_EXPECT_SIZE(PF_Point, 8, 4);
VELMORA_EXPECT_SIZE(PF_RationalScale, 8, 4);
VELMORA_EXPECT_SIZE(PF_CompositeMode, 12, 4);
VELMORA_EXPECT_SIZE(PF_SpecVersion, 4, 2);
VELMORA_EXPECT_SIZE(PF_FloatMatrix, 72, 8);
VELMORA_EXPECT_SIZE(PF_State, 16, 4);
VELMORA_EXPECT_SIZE(A_Time, 8, 4);
VELMORA_EXPECT_SIZE(A_Matrix4, 128, 8);
VELMORA_EXPECT_SIZE(AEGP_ColorVal, 32, 8);
VELMORA_EXPECT_SIZE(AEGP_StreamVal2, 32, 8);
VELMORA_EXPECT_SIZE(AEGP_StreamValue2, 40, 8);
VELMORA_EXPECT_SIZE(PF_SoundFormatInfo, 16, 8);
VELMORA_EXPECT_SIZE(PF_SoundWorld, 32, 8);
VELMORA_EXPECT_SIZE(PF_InteractCallbacks, 176, 8);
VELMORA_EXPECT_SIZE(PF_UtilCallbacks, 552, 8);
VELMORA_EXPECT_SIZE(PF_ANSICallbacks, 160, 8);
VELMORA_EXPECT_SIZE(PF_ColorCallbacks, 64, 8);
VELMORA_EXPECT_SIZE(PF_SampPB, 104, 8);
VELMORA_EXPECT_SIZE(PF_MaskWorld, 136, 8);

VELMORA_EXPECT_SIZE(PF_RenderRequest, 44, 4);
VELMORA_EXPECT_SIZE(PF_CheckoutResult, 76, 4);
VELMORA_EXPECT_SIZE(PF_PreRenderExtra, 24, 8);
VELMORA_EXPECT_SIZE(PF_PreRenderInput, 64, 8);
VELMORA_EXPECT_SIZE(PF_PreRenderOutput, 56, 8);
VELMORA_EXPECT_SIZE(PF_PreRenderCallbacks, 16, 8);
VELMORA_EXPECT_SIZE(PF_SmartRenderExtra, 16, 8);
VELMORA_EXPECT_SIZE(PF_SmartRenderInput, 72, 8);
VELMORA_EXPECT_SIZE(PF_SmartRenderCallbacks, 24, 8);
VELMORA_EXPECT_SIZE(PF_GPUDeviceSetdownInput, 16, 8);

VELMORA_EXPECT_SIZE(SPBasicSuite, 56, 8);
VELMORA_EXPECT_SIZE(PF_HandleSuite1, 48, 8);
VELMORA_EXPECT_SIZE(PF_ANSICallbacksSuite1, 152, 8);
VELMORA_EXPECT_SIZE(PF_FillMatteSuite2, 56, 8);
VELMORA_EXPECT_SIZE(PF_Iterate8Suite1, 40, 8);
VELMORA_EXPECT_SIZE(PF_Iterate16Suite1, 24, 8);
VELMORA_EXPECT_SIZE(PF_IterateFloatSuite1, 24, 8);
VELMORA_EXPECT_SIZE(PF_WorldTransformSuite1, 56, 8);
VELMORA_EXPECT_SIZE(PF_WorldSuite1, 16, 8);
VELMORA_EXPECT_SIZE(PF_WorldSuite2, 24, 8);
VELMORA_EXPECT_SIZE(PF_PixelFormatSuite2, 16, 8);
VELMORA_EXPECT_SIZE(PF_ParamUtilsSuite1, 80, 8);
VELMORA_EXPECT_SIZE(PF_ParamUtilsSuite3, 72, 8);
VELMORA_EXPECT_SIZE(AEGP_WorldSuite3, 104, 8);
VELMORA_EXPECT_SIZE(AEGP_PFInterfaceSuite1, 40, 8);
VELMORA_EXPECT_SIZE(AEGP_StreamSuite4, 176, 8);
VELMORA_EXPECT_SIZE(AEGP_EffectSuite2, 136, 8);
VELMORA_EXPECT_SIZE(AEGP_EffectSuite4, 176, 8);

// PF_InData
VELMORA_EXPECT_OFFSET(PF_InData, utils, 176);
VELMORA_EXPECT_OFFSET(PF_InData, effect_ref, 184);
VELMORA_EXPECT_OFFSET(PF_InData, quality, 192);
VELMORA_EXPECT_OFFSET(PF_InData, version, 196);
VELMORA_EXPECT_OFFSET(PF_InData, appl_id, 204);
VELMORA_EXPECT_OFFSET(PF_InData, current_time, 224);
VELMORA_EXPECT_OFFSET(PF_InData, time_scale, 240);
VELMORA_EXPECT_OFFSET(PF_InData, width, 252);
VELMORA_EXPECT_OFFSET(PF_InData, extent_hint, 260);
VELMORA_EXPECT_OFFSET(PF_InData, output_origin_x, 276);
VELMORA_EXPECT_OFFSET(PF_InData, downsample_x, 284);
VELMORA_EXPECT_OFFSET(PF_InData, pixel_aspect_ratio, 300);
VELMORA_EXPECT_OFFSET(PF_InData, in_flags, 308);
VELMORA_EXPECT_OFFSET(PF_InData, global_data, 312);
VELMORA_EXPECT_OFFSET(PF_InData, sequence_data, 320);
VELMORA_EXPECT_OFFSET(PF_InData, frame_data, 328);
VELMORA_EXPECT_OFFSET(PF_InData, total_sampL, 344);
VELMORA_EXPECT_OFFSET(PF_InData, src_snd, 352);
VELMORA_EXPECT_OFFSET(PF_InData, pica_basicP, 384);
VELMORA_EXPECT_OFFSET(PF_InData, pre_effect_source_origin_x, 392);
VELMORA_EXPECT_OFFSET(PF_InData, shutter_phase, 400);

// PF_OutData
VELMORA_EXPECT_OFFSET(PF_OutData, name, 4);
VELMORA_EXPECT_OFFSET(PF_OutData, global_data, 40);
VELMORA_EXPECT_OFFSET(PF_OutData, num_params, 48);
VELMORA_EXPECT_OFFSET(PF_OutData, sequence_data, 56);
VELMORA_EXPECT_OFFSET(PF_OutData, flat_sdata_size, 64);
VELMORA_EXPECT_OFFSET(PF_OutData, frame_data, 72);
VELMORA_EXPECT_OFFSET(PF_OutData, origin, 88);
VELMORA_EXPECT_OFFSET(PF_OutData, out_flags, 96);
VELMORA_EXPECT_OFFSET(PF_OutData, return_msg, 100);
VELMORA_EXPECT_OFFSET(PF_OutData, start_sampL, 356);
VELMORA_EXPECT_OFFSET(PF_OutData, dest_snd, 368);
VELMORA_EXPECT_OFFSET(PF_OutData, out_flags2, 400);

// Parameters
VELMORA_EXPECT_OFFSET(PF_ParamDef, ui_flags, 4);
VELMORA_EXPECT_OFFSET(PF_ParamDef, param_type, 12);
VELMORA_EXPECT_OFFSET(PF_ParamDef, name, 16);
VELMORA_EXPECT_OFFSET(PF_ParamDef, flags, 48);
VELMORA_EXPECT_OFFSET(PF_ParamDef, u, 56);
VELMORA_EXPECT_OFFSET(PF_FloatSliderDef, value_desc, 16);
VELMORA_EXPECT_OFFSET(PF_FloatSliderDef, valid_min, 48);
VELMORA_EXPECT_OFFSET(PF_FloatSliderDef, dephault, 64);
VELMORA_EXPECT_OFFSET(PF_FloatSliderDef, precision, 68);
VELMORA_EXPECT_OFFSET(PF_FloatSliderDef, display_flags, 70);
VELMORA_EXPECT_OFFSET(PF_FloatSliderDef, fs_flags, 72);
VELMORA_EXPECT_OFFSET(PF_FloatSliderDef, curve_tolerance, 76);
VELMORA_EXPECT_OFFSET(PF_FloatSliderDef, useExponent, 80);
VELMORA_EXPECT_OFFSET(PF_FloatSliderDef, exponent, 84);
VELMORA_EXPECT_OFFSET(PF_SliderDef, valid_min, 68);
VELMORA_EXPECT_OFFSET(PF_SliderDef, dephault, 84);
VELMORA_EXPECT_OFFSET(PF_FixedSliderDef, precision, 88);
VELMORA_EXPECT_OFFSET(PF_CheckBoxDef, dephault, 4);
VELMORA_EXPECT_OFFSET(PF_CheckBoxDef, u, 8);
VELMORA_EXPECT_OFFSET(PF_PopupDef, num_choices, 4);
VELMORA_EXPECT_OFFSET(PF_PopupDef, dephault, 6);
VELMORA_EXPECT_OFFSET(PF_PopupDef, u, 8);
VELMORA_EXPECT_OFFSET(PF_ButtonDef, u, 8);
VELMORA_EXPECT_OFFSET(PF_PointDef, restrict_bounds, 11);
VELMORA_EXPECT_OFFSET(PF_ArbitraryDef, dephault, 8);

// Worlds, pixels and small records
VELMORA_EXPECT_OFFSET(PF_LayerDef, world_flags, 16);
VELMORA_EXPECT_OFFSET(PF_LayerDef, data, 24);
VELMORA_EXPECT_OFFSET(PF_LayerDef, rowbytes, 32);
VELMORA_EXPECT_OFFSET(PF_LayerDef, width, 36);
VELMORA_EXPECT_OFFSET(PF_LayerDef, height, 40);
VELMORA_EXPECT_OFFSET(PF_LayerDef, extent_hint, 44);
VELMORA_EXPECT_OFFSET(PF_LayerDef, platform_ref, 64);
VELMORA_EXPECT_OFFSET(PF_LayerDef, reserved_long1, 72);
VELMORA_EXPECT_OFFSET(PF_LayerDef, reserved_long4, 80);
VELMORA_EXPECT_OFFSET(PF_LayerDef, pix_aspect_ratio, 88);
VELMORA_EXPECT_OFFSET(PF_LayerDef, reserved_long2, 96);
VELMORA_EXPECT_OFFSET(PF_LayerDef, origin_x, 104);
VELMORA_EXPECT_OFFSET(PF_LayerDef, origin_y, 108);
VELMORA_EXPECT_OFFSET(PF_LayerDef, dephault, 116);
VELMORA_EXPECT_OFFSET(PF_Pixel, alpha, 0);
VELMORA_EXPECT_OFFSET(PF_Pixel, blue, 3);
VELMORA_EXPECT_OFFSET(PF_PixelFloat, blue, 12);
VELMORA_EXPECT_OFFSET(PF_CompositeMode, rand_seed, 4);
VELMORA_EXPECT_OFFSET(PF_CompositeMode, opacity, 8);
VELMORA_EXPECT_OFFSET(PF_CompositeMode, rgb_only, 9);
VELMORA_EXPECT_OFFSET(PF_CompositeMode, opacitySu, 10);
VELMORA_EXPECT_OFFSET(PF_SoundWorld, dataP, 24);
VELMORA_EXPECT_OFFSET(PF_SampPB, src, 16);
VELMORA_EXPECT_OFFSET(PF_SampPB, comp_mode, 36);
VELMORA_EXPECT_OFFSET(PF_SampPB, mask0, 48);
VELMORA_EXPECT_OFFSET(PF_SampPB, reserved, 72);
VELMORA_EXPECT_OFFSET(PF_MaskWorld, offset, 120);
VELMORA_EXPECT_OFFSET(PF_MaskWorld, what_is_mask, 128);
VELMORA_EXPECT_OFFSET(AEGP_StreamValue2, val, 8);

// Callback blocks
VELMORA_EXPECT_OFFSET(PF_InteractCallbacks, abort, 24);
VELMORA_EXPECT_OFFSET(PF_InteractCallbacks, reserved_str, 72);
VELMORA_EXPECT_OFFSET(PF_InteractCallbacks, reserved, 96);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, fill, 72);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, iterate, 88);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, transfer_rect, 144);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, host_new_handle, 160);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, app, 200);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, ansi, 208);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, colorCB, 368);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, get_platform_data, 432);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, iterate_generic, 456);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, host_resize_handle, 464);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, fill16, 488);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, get_pixel_data16, 536);
VELMORA_EXPECT_OFFSET(PF_UtilCallbacks, reserved, 544);
VELMORA_EXPECT_OFFSET(PF_ANSICallbacks, sprintf, 120);
VELMORA_EXPECT_OFFSET(PF_ANSICallbacks, strcpy, 128);
VELMORA_EXPECT_OFFSET(PF_ANSICallbacks, ansi_procs, 152);
VELMORA_EXPECT_OFFSET(PF_ANSICallbacksSuite1, sprintf, 120);
VELMORA_EXPECT_OFFSET(PF_ANSICallbacksSuite1, acos, 144);

// SmartFX
VELMORA_EXPECT_OFFSET(PF_RenderRequest, field, 16);
VELMORA_EXPECT_OFFSET(PF_RenderRequest, channel_mask, 20);
VELMORA_EXPECT_OFFSET(PF_RenderRequest, preserve_rgb_of_zero_alpha, 24);
VELMORA_EXPECT_OFFSET(PF_RenderRequest, reserved, 28);
VELMORA_EXPECT_OFFSET(PF_PreRenderInput, bitdepth, 44);
VELMORA_EXPECT_OFFSET(PF_PreRenderInput, gpu_data, 48);
VELMORA_EXPECT_OFFSET(PF_PreRenderInput, device_index, 60);
VELMORA_EXPECT_OFFSET(PF_PreRenderOutput, max_result_rect, 16);
VELMORA_EXPECT_OFFSET(PF_PreRenderOutput, solid, 32);
VELMORA_EXPECT_OFFSET(PF_PreRenderOutput, flags, 34);
VELMORA_EXPECT_OFFSET(PF_PreRenderOutput, pre_render_data, 40);
VELMORA_EXPECT_OFFSET(PF_PreRenderOutput, delete_pre_render_data_func, 48);
VELMORA_EXPECT_OFFSET(PF_CheckoutResult, par, 32);
VELMORA_EXPECT_OFFSET(PF_CheckoutResult, solid, 40);
VELMORA_EXPECT_OFFSET(PF_CheckoutResult, ref_width, 44);
VELMORA_EXPECT_OFFSET(PF_CheckoutResult, reserved, 52);
VELMORA_EXPECT_OFFSET(PF_SmartRenderInput, bitdepth, 44);
VELMORA_EXPECT_OFFSET(PF_SmartRenderInput, pre_render_data, 48);
VELMORA_EXPECT_OFFSET(PF_SmartRenderInput, gpu_data, 56);
VELMORA_EXPECT_OFFSET(PF_SmartRenderInput, device_index, 68);
VELMORA_EXPECT_OFFSET(PF_SmartRenderCallbacks, checkout_output, 16);

// Suites: a few slots each, where a missing or misplaced slot would shift the rest
VELMORA_EXPECT_OFFSET(SPBasicSuite, ReleaseSuite, 8);
VELMORA_EXPECT_OFFSET(SPBasicSuite, Undefined, 48);
VELMORA_EXPECT_OFFSET(PF_HandleSuite1, host_resize_handle, 40);
VELMORA_EXPECT_OFFSET(PF_FillMatteSuite2, premultiply, 24);
VELMORA_EXPECT_OFFSET(PF_Iterate8Suite1, iterate_generic, 32);
VELMORA_EXPECT_OFFSET(PF_WorldTransformSuite1, copy_hq, 32);
VELMORA_EXPECT_OFFSET(PF_WorldTransformSuite1, transfer_rect, 40);
VELMORA_EXPECT_OFFSET(PF_WorldSuite2, PF_GetPixelFormat, 16);
VELMORA_EXPECT_OFFSET(PF_ParamUtilsSuite1, PF_IsIdenticalCheckout, 32);
VELMORA_EXPECT_OFFSET(PF_ParamUtilsSuite1, PF_KeyIndexToTime, 72);
VELMORA_EXPECT_OFFSET(AEGP_WorldSuite3, AEGP_FillOutPFEffectWorld, 64);
VELMORA_EXPECT_OFFSET(AEGP_WorldSuite3, AEGP_FastBlur, 72);
VELMORA_EXPECT_OFFSET(AEGP_PFInterfaceSuite1, AEGP_GetNewEffectForEffect, 8);
VELMORA_EXPECT_OFFSET(AEGP_StreamSuite4, AEGP_GetNewEffectStreamByIndex, 40);
VELMORA_EXPECT_OFFSET(AEGP_StreamSuite4, AEGP_DisposeStream, 56);
VELMORA_EXPECT_OFFSET(AEGP_StreamSuite4, AEGP_GetNewStreamValue, 104);
VELMORA_EXPECT_OFFSET(AEGP_StreamSuite4, AEGP_DisposeStreamValue, 112);
VELMORA_EXPECT_OFFSET(AEGP_EffectSuite2, AEGP_DisposeEffect, 64);
VELMORA_EXPECT_OFFSET(AEGP_EffectSuite2, AEGP_DuplicateEffect, 128);
VELMORA_EXPECT_OFFSET(AEGP_EffectSuite4, AEGP_SetEffectMask, 168);

static_assert(PF_VERSION(1, 1, 0, PF_Stage_DEVELOP, 1) == 0x00088001, "PF_VERSION bit layout");
static_assert(PF_VERSION(1, 0, 0, PF_Stage_RELEASE, 0) == 0x00080600, "PF_VERSION bit layout");
static_assert(PF_VERSION(9, 0, 0, PF_Stage_DEVELOP, 0) == ((1u << 26) | (1u << 19)),
              "PF_VERSION keeps the version's high bits");

#undef VELMORA_EXPECT_SIZE
#undef VELMORA_EXPECT_OFFSET
