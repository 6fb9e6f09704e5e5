#pragma once
// The SmartFX protocol: the extra records of PF_Cmd_SMART_PRE_RENDER and PF_Cmd_SMART_RENDER,
// and of the GPU device commands.

#include "hostapi/host_records.h"
#include "hostapi/host_types.h"

extern "C" {

typedef struct {
  PF_LRect rect;
  PF_Field field;
  PF_ChannelMask channel_mask;
  PF_Boolean preserve_rgb_of_zero_alpha;
  char unused[3];
  A_long reserved[4];
} PF_RenderRequest;

typedef struct {
  PF_LRect result_rect;
  PF_LRect max_result_rect;
  PF_RationalScale par;
  PF_Boolean solid;
  PF_Boolean reservedB[3];
  A_long ref_width;
  A_long ref_height;
  A_long reserved[6];
} PF_CheckoutResult;

// The host owns pre_render_data once the pre-render returns and frees it with this function.
typedef void (*PF_DeletePreRenderDataFunc)(void* pre_render_data);

typedef struct {
  PF_RenderRequest output_request;
  short bitdepth;
  const void* gpu_data;
  PF_GPU_Framework what_gpu;
  A_u_long device_index;
} PF_PreRenderInput;

typedef struct {
  PF_LRect result_rect;
  PF_LRect max_result_rect;
  PF_Boolean solid;
  PF_Boolean reserved;
  PF_RenderOutputFlags flags;
  void* pre_render_data;
  PF_DeletePreRenderDataFunc delete_pre_render_data_func;
} PF_PreRenderOutput;

typedef struct {
  PF_Err (*checkout_layer)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_idL,
                           const PF_RenderRequest* req, A_long what_time, A_long time_step,
                           A_u_long time_scale, PF_CheckoutResult* checkout_result);
  PF_Err (*GuidMixInPtr)(PF_ProgPtr effect_ref, A_u_long buf_sizeLu, const void* buf);
} PF_PreRenderCallbacks;

typedef struct {
  PF_PreRenderInput* input;
  PF_PreRenderOutput* output;
  PF_PreRenderCallbacks* cb;
} PF_PreRenderExtra;

typedef struct {
  PF_RenderRequest output_request;
  short bitdepth;
  void* pre_render_data;
  const void* gpu_data;
  PF_GPU_Framework what_gpu;
  A_u_long device_index;
} PF_SmartRenderInput;

typedef struct {
  PF_Err (*checkout_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_idL,
                                  PF_EffectWorld** pixels);
  PF_Err (*checkin_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_idL);
  PF_Err (*checkout_output)(PF_ProgPtr effect_ref, PF_EffectWorld** output);
} PF_SmartRenderCallbacks;

typedef struct {
  PF_SmartRenderInput* input;
  PF_SmartRenderCallbacks* cb;
} PF_SmartRenderExtra;

typedef struct {
  PF_GPU_Framework what_gpu;
  A_u_long device_index;
} PF_GPUDeviceSetupInput;

typedef struct {
  void* gpu_data;
} PF_GPUDeviceSetupOutput;

typedef struct {
  PF_GPUDeviceSetupInput* input;
  PF_GPUDeviceSetupOutput* output;
} PF_GPUDeviceSetupExtra;

typedef struct {
  void* gpu_data;
  PF_GPU_Framework what_gpu;
  A_u_long device_index;
} PF_GPUDeviceSetdownInput;

typedef struct {
  PF_GPUDeviceSetdownInput* input;
} PF_GPUDeviceSetdownExtra;

}  // extern "C"
