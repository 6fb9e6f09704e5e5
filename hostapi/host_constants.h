#pragma once
// Constants of the host's effect interface: commands, errors, flags, modes and codes. Each group
// is its own anonymous enum, as the host declares them, so mixing groups draws a warning.
// The property-list generator (cmake/pipl.cmake) reads the `NAME = value` lines of this file:
// keep each enumerator with a literal value on its own line.

#include "hostapi/host_types.h"

extern "C" {

// The interface version an effect is written against (the host's 13.28 headers).
#define PF_PLUG_IN_VERSION 13
#define PF_PLUG_IN_SUBVERS 28
#define PF_AE_PLUG_IN_VERSION PF_PLUG_IN_VERSION
#define PF_AE_PLUG_IN_SUBVERS PF_PLUG_IN_SUBVERS

// The packed version word: build bits 0-8, stage 9-10, bugfix 11-14, subversion 15-18,
// version low bits 19-21 and version high bits 26-29.
#define PF_VERSION(vers, subvers, bugvers, stage, build)                                   \
  ((A_u_long)(((((A_u_long)(vers) >> 3) & 0xFu) << 26) | (((A_u_long)(vers)&0x7u) << 19) | \
              (((A_u_long)(subvers)&0xFu) << 15) | (((A_u_long)(bugvers)&0xFu) << 11) |    \
              (((A_u_long)(stage)&0x3u) << 9) | ((A_u_long)(build)&0x1FFu)))

enum { PF_Stage_DEVELOP = 0, PF_Stage_ALPHA = 1, PF_Stage_BETA = 2, PF_Stage_RELEASE = 3 };

// Commands; the host never changes their order.
enum {
  PF_Cmd_ABOUT = 0,
  PF_Cmd_GLOBAL_SETUP = 1,
  PF_Cmd_UNUSED_0 = 2,
  PF_Cmd_GLOBAL_SETDOWN = 3,
  PF_Cmd_PARAMS_SETUP = 4,
  PF_Cmd_SEQUENCE_SETUP = 5,
  PF_Cmd_SEQUENCE_RESETUP = 6,
  PF_Cmd_SEQUENCE_FLATTEN = 7,
  PF_Cmd_SEQUENCE_SETDOWN = 8,
  PF_Cmd_DO_DIALOG = 9,
  PF_Cmd_FRAME_SETUP = 10,
  PF_Cmd_RENDER = 11,
  PF_Cmd_FRAME_SETDOWN = 12,
  PF_Cmd_USER_CHANGED_PARAM = 13,
  PF_Cmd_UPDATE_PARAMS_UI = 14,
  PF_Cmd_EVENT = 15,
  PF_Cmd_GET_EXTERNAL_DEPENDENCIES = 16,
  PF_Cmd_COMPLETELY_GENERAL = 17,
  PF_Cmd_QUERY_DYNAMIC_FLAGS = 18,
  PF_Cmd_AUDIO_RENDER = 19,
  PF_Cmd_AUDIO_SETUP = 20,
  PF_Cmd_AUDIO_SETDOWN = 21,
  PF_Cmd_ARBITRARY_CALLBACK = 22,
  PF_Cmd_SMART_PRE_RENDER = 23,
  PF_Cmd_SMART_RENDER = 24,
  PF_Cmd_RESERVED1 = 25,
  PF_Cmd_RESERVED2 = 26,
  PF_Cmd_RESERVED3 = 27,
  PF_Cmd_GET_FLATTENED_SEQUENCE_DATA = 28,
  PF_Cmd_TRANSLATE_PARAMS_TO_PREFS = 29,
  PF_Cmd_RESERVED4 = 30,
  PF_Cmd_SMART_RENDER_GPU = 31,
  PF_Cmd_GPU_DEVICE_SETUP = 32,
  PF_Cmd_GPU_DEVICE_SETDOWN = 33,
  PF_Cmd_NUM_CMDS = 34
};

enum {
  PF_Err_NONE = 0,
  PF_Err_OUT_OF_MEMORY = 4,
  PF_Err_INTERNAL_STRUCT_DAMAGED = 512,
  PF_Err_INVALID_INDEX = 513,
  PF_Err_UNRECOGNIZED_PARAM_TYPE = 514,
  PF_Err_INVALID_CALLBACK = 515,
  PF_Err_BAD_CALLBACK_PARAM = 516,
  PF_Interrupt_CANCEL = 517,
  PF_Err_CANNOT_PARSE_KEYFRAME_TEXT = 518
};
#define PF_FIRST_ERR PF_Err_INTERNAL_STRUCT_DAMAGED

enum {
  A_Err_NONE = 0,
  A_Err_GENERIC = 1,
  A_Err_STRUCT = 2,
  A_Err_PARAMETER = 3,
  A_Err_ALLOC = 4,
  A_Err_WRONG_THREAD = 5,
  A_Err_CONST_PROJECT_MODIFICATION = 6,
  A_Err_MISSING_SUITE = 13,
  A_Err_NOT_IN_CACHE_OR_COMPUTE_PENDING = 22,
  A_Err_PROJECT_LOAD_FATAL = 23,
  A_Err_EFFECT_APPLY_FATAL = 24,
  A_Err_LAST = 25
};

// SP errors are four-character codes (first character in the highest byte).
enum {
  kSPNoError = 0,
  kSPSuiteNotFoundError = 0x53214664,  // 'S!Fd'
  kSPBadParameterError = 0x5061726D,   // 'Parm'
  kSPUnimplementedError = 0x21494D50,  // '!IMP'
  kSPOutOfMemoryError = -148
};

// out_data->out_flags, and the property list's global flags.
enum {
  PF_OutFlag_NONE = 0,
  PF_OutFlag_KEEP_RESOURCE_OPEN = 0x1,
  PF_OutFlag_WIDE_TIME_INPUT = 0x2,
  PF_OutFlag_NON_PARAM_VARY = 0x4,
  PF_OutFlag_RESERVED6 = 0x8,
  PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING = 0x10,
  PF_OutFlag_I_DO_DIALOG = 0x20,
  PF_OutFlag_USE_OUTPUT_EXTENT = 0x40,
  PF_OutFlag_SEND_DO_DIALOG = 0x80,
  PF_OutFlag_DISPLAY_ERROR_MESSAGE = 0x100,
  PF_OutFlag_I_EXPAND_BUFFER = 0x200,
  PF_OutFlag_PIX_INDEPENDENT = 0x400,
  PF_OutFlag_I_WRITE_INPUT_BUFFER = 0x800,
  PF_OutFlag_I_SHRINK_BUFFER = 0x1000,
  PF_OutFlag_WORKS_IN_PLACE = 0x2000,
  PF_OutFlag_RESERVED8 = 0x4000,
  PF_OutFlag_CUSTOM_UI = 0x8000,
  PF_OutFlag_RESERVED7 = 0x10000,
  PF_OutFlag_REFRESH_UI = 0x20000,
  PF_OutFlag_NOP_RENDER = 0x40000,
  PF_OutFlag_I_USE_SHUTTER_ANGLE = 0x80000,
  PF_OutFlag_I_USE_AUDIO = 0x100000,
  PF_OutFlag_I_AM_OBSOLETE = 0x200000,
  PF_OutFlag_FORCE_RERENDER = 0x400000,
  PF_OutFlag_PiPL_OVERRIDES_OUTDATA_OUTFLAGS = 0x800000,
  PF_OutFlag_I_HAVE_EXTERNAL_DEPENDENCIES = 0x1000000,
  PF_OutFlag_DEEP_COLOR_AWARE = 0x2000000,
  PF_OutFlag_SEND_UPDATE_PARAMS_UI = 0x4000000,
  PF_OutFlag_AUDIO_FLOAT_ONLY = 0x8000000,
  PF_OutFlag_AUDIO_IIR = 0x10000000,
  PF_OutFlag_I_SYNTHESIZE_AUDIO = 0x20000000,
  PF_OutFlag_AUDIO_EFFECT_TOO = 0x40000000,
  PF_OutFlag_AUDIO_EFFECT_ONLY = (A_long)0x80000000  // keeps the enum a signed 32-bit type
};

// out_data->out_flags2 (bit 9 has no name).
enum {
  PF_OutFlag2_NONE = 0,
  PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS = 0x1,
  PF_OutFlag2_I_USE_3D_CAMERA = 0x2,
  PF_OutFlag2_I_USE_3D_LIGHTS = 0x4,
  PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG = 0x8,
  PF_OutFlag2_I_AM_THREADSAFE = 0x10,
  PF_OutFlag2_CAN_COMBINE_WITH_DESTINATION = 0x20,
  PF_OutFlag2_DOESNT_NEED_EMPTY_PIXELS = 0x40,
  PF_OutFlag2_REVEALS_ZERO_ALPHA = 0x80,
  PF_OutFlag2_PRESERVES_FULLY_OPAQUE_PIXELS = 0x100,
  PF_OutFlag2_SUPPORTS_SMART_RENDER = 0x400,
  PF_OutFlag2_RESERVED9 = 0x800,
  PF_OutFlag2_FLOAT_COLOR_AWARE = 0x1000,
  PF_OutFlag2_I_USE_COLORSPACE_ENUMERATION = 0x2000,
  PF_OutFlag2_I_AM_DEPRECATED = 0x4000,
  PF_OutFlag2_PPRO_DO_NOT_CLONE_SEQUENCE_DATA_FOR_RENDER = 0x8000,
  PF_OutFlag2_RESERVED10 = 0x10000,
  PF_OutFlag2_AUTOMATIC_WIDE_TIME_INPUT = 0x20000,
  PF_OutFlag2_I_USE_TIMECODE = 0x40000,
  PF_OutFlag2_DEPENDS_ON_UNREFERENCED_MASKS = 0x80000,
  PF_OutFlag2_OUTPUT_IS_WATERMARKED = 0x100000,
  PF_OutFlag2_I_MIX_GUID_DEPENDENCIES = 0x200000,
  PF_OutFlag2_AE13_5_THREADSAFE = 0x400000,
  PF_OutFlag2_SUPPORTS_GET_FLATTENED_SEQUENCE_DATA = 0x800000,
  PF_OutFlag2_CUSTOM_UI_ASYNC_MANAGER = 0x1000000,
  PF_OutFlag2_SUPPORTS_GPU_RENDER_F32 = 0x2000000,
  PF_OutFlag2_RESERVED12 = 0x4000000,
  PF_OutFlag2_SUPPORTS_THREADED_RENDERING = 0x8000000,
  PF_OutFlag2_MUTABLE_RENDER_SEQUENCE_DATA_SLOWER = 0x10000000
};

enum { PF_InFlag_NONE = 0, PF_InFlag_PROJECT_IS_RENDER_ONLY = 0x1 };

// Parameters.
enum {
  PF_Param_RESERVED = -1,
  PF_Param_LAYER = 0,
  PF_Param_SLIDER = 1,
  PF_Param_FIX_SLIDER = 2,
  PF_Param_ANGLE = 3,
  PF_Param_CHECKBOX = 4,
  PF_Param_COLOR = 5,
  PF_Param_POINT = 6,
  PF_Param_POPUP = 7,
  PF_Param_CUSTOM = 8,
  PF_Param_NO_DATA = 9,
  PF_Param_FLOAT_SLIDER = 10,
  PF_Param_ARBITRARY_DATA = 11,
  PF_Param_PATH = 12,
  PF_Param_GROUP_START = 13,
  PF_Param_GROUP_END = 14,
  PF_Param_BUTTON = 15,
  PF_Param_RESERVED2 = 16,
  PF_Param_RESERVED3 = 17,
  PF_Param_POINT_3D = 18
};

enum {
  PF_ParamFlag_RESERVED1 = 0x1,
  PF_ParamFlag_CANNOT_TIME_VARY = 0x2,
  PF_ParamFlag_CANNOT_INTERP = 0x4,
  PF_ParamFlag_RESERVED2 = 0x8,
  PF_ParamFlag_RESERVED3 = 0x10,
  PF_ParamFlag_COLLAPSE_TWIRLY = 0x20,
  PF_ParamFlag_START_COLLAPSED = 0x20,
  PF_ParamFlag_SUPERVISE = 0x40,
  PF_ParamFlag_USE_VALUE_FOR_OLD_PROJECTS = 0x80,
  PF_ParamFlag_LAYER_PARAM_IS_TRACKMATTE = 0x80,
  PF_ParamFlag_EXCLUDE_FROM_HAVE_INPUTS_CHANGED = 0x100,
  PF_ParamFlag_SKIP_REVEAL_WHEN_UNHIDDEN = 0x200
};

enum {
  PF_PUI_NONE = 0,
  PF_PUI_TOPIC = 0x1,
  PF_PUI_CONTROL = 0x2,
  PF_PUI_STD_CONTROL_ONLY = 0x4,
  PF_PUI_NO_ECW_UI = 0x8,
  PF_PUI_ECW_SEPARATOR = 0x10,
  PF_PUI_DISABLED = 0x20,
  PF_PUI_DONT_ERASE_TOPIC = 0x40,
  PF_PUI_DONT_ERASE_CONTROL = 0x80,
  PF_PUI_RADIO_BUTTON = 0x100,
  PF_PUI_INVISIBLE = 0x200,
  PF_PUI_RESERVED = 0x400
};

enum {
  PF_ChangeFlag_NONE = 0,
  PF_ChangeFlag_CHANGED_VALUE = 0x1,
  PF_ChangeFlag_RESERVED = 0x2,
  PF_ChangeFlag_SET_TO_VARY = 0x4,
  PF_ChangeFlag_SET_TO_CONSTANT = 0x8
};

enum {
  PF_ValueDisplayFlag_NONE = 0,
  PF_ValueDisplayFlag_PERCENT = 0x1,
  PF_ValueDisplayFlag_PIXEL = 0x2,
  PF_ValueDisplayFlag_RESERVED1 = 0x4,
  PF_ValueDisplayFlag_REVERSE = 0x8
};

enum { PF_FSliderFlag_NONE = 0, PF_FSliderFlag_WANT_PHASE = 0x1 };

enum { PF_LayerDefault_MYSELF = -1, PF_LayerDefault_NONE = 0 };

enum {
  PF_ParamIndex_NONE = -1,
  PF_ParamIndex_CHECK_ALL = -2,
  PF_ParamIndex_CHECK_ALL_EXCEPT_LAYER_PARAMS = -3,
  PF_ParamIndex_CHECK_ALL_HONOR_EXCLUDE = -4
};

enum { PF_KeyIndex_NONE = -1 };

enum {
  PF_TimeDir_GREATER_THAN = 0,
  PF_TimeDir_LESS_THAN = 1,
  PF_TimeDir_GREATER_THAN_OR_EQUAL = 0x1000,
  PF_TimeDir_LESS_THAN_OR_EQUAL = 0x1001
};

// Text limits; the records hold one more byte for the terminator.
enum {
  PF_MAX_EFFECT_NAME_LEN = 31,
  PF_MAX_EFFECT_CATEGORY_NAME_LEN = 31,
  PF_MAX_EFFECT_PARAM_NAME_LEN = 31,
  PF_MAX_PARAM_DESCRIPTION_LEN = 31,
  PF_MAX_PARAM_VALUE_LEN = 31,
  PF_MAX_EFFECT_MSG_LEN = 255
};

enum { PF_MAX_WORLD_WIDTH = 30000, PF_MAX_WORLD_HEIGHT = 30000 };

// Transfer modes.
enum {
  PF_Xfer_NONE = -1,
  PF_Xfer_COPY = 0,
  PF_Xfer_BEHIND = 1,
  PF_Xfer_IN_FRONT = 2,
  PF_Xfer_DISSOLVE = 3,
  PF_Xfer_ADD = 4,
  PF_Xfer_MULTIPLY = 5,
  PF_Xfer_SCREEN = 6,
  PF_Xfer_OVERLAY = 7,
  PF_Xfer_SOFT_LIGHT = 8,
  PF_Xfer_HARD_LIGHT = 9,
  PF_Xfer_DARKEN = 10,
  PF_Xfer_LIGHTEN = 11,
  PF_Xfer_DIFFERENCE = 12,
  PF_Xfer_HUE = 13,
  PF_Xfer_SATURATION = 14,
  PF_Xfer_COLOR = 15,
  PF_Xfer_LUMINOSITY = 16,
  PF_Xfer_MULTIPLY_ALPHA = 17,
  PF_Xfer_MULTIPLY_ALPHA_LUMA = 18,
  PF_Xfer_MULTIPLY_NOT_ALPHA = 19,
  PF_Xfer_MULTIPLY_NOT_ALPHA_LUMA = 20,
  PF_Xfer_ADDITIVE_PREMUL = 21,
  PF_Xfer_ALPHA_ADD = 22,
  PF_Xfer_COLOR_DODGE = 23,
  PF_Xfer_COLOR_BURN = 24,
  PF_Xfer_EXCLUSION = 25,
  PF_Xfer_DIFFERENCE2 = 26,
  PF_Xfer_COLOR_DODGE2 = 27,
  PF_Xfer_COLOR_BURN2 = 28,
  PF_Xfer_LINEAR_DODGE = 29,
  PF_Xfer_TINT = 29,
  PF_Xfer_LINEAR_BURN = 30,
  PF_Xfer_SHADE = 30,
  PF_Xfer_LINEAR_LIGHT = 31,
  PF_Xfer_VIVID_LIGHT = 32,
  PF_Xfer_INTENSE_LIGHT = 32,
  PF_Xfer_PIN_LIGHT = 33,
  PF_Xfer_HARD_MIX = 34,
  PF_Xfer_LIGHTER_COLOR = 35,
  PF_Xfer_DARKER_COLOR = 36,
  PF_Xfer_SUBTRACT = 37,
  PF_Xfer_DIVIDE = 38,
  PF_Xfer_RESERVED0 = 39,
  PF_Xfer_RESERVED1 = 40,
  PF_Xfer_NUM_MODES = 41
};

enum { PF_Quality_DRAWING_AUDIO = -1, PF_Quality_LO = 0, PF_Quality_HI = 1 };

enum { PF_MF_Alpha_PREMUL = 0, PF_MF_Alpha_STRAIGHT = 1 };

enum { PF_Field_FRAME = 0, PF_Field_UPPER = 1, PF_Field_LOWER = 2 };

enum {
  PF_WorldFlag_DEEP = 0x1,
  PF_WorldFlag_WRITEABLE = 0x2,
  PF_WorldFlag_RESERVED0 = 0x1000000,
  PF_WorldFlag_RESERVED1 = 0x2000000,
  PF_WorldFlag_RESERVED2 = 0x4000000,
  PF_WorldFlag_RESERVED3 = 0x8000000,
  PF_WorldFlag_RESERVED4 = 0x10000000,
  PF_WorldFlag_RESERVED5 = 0x20000000,
  PF_WorldFlag_RESERVED6 = 0x40000000,
  PF_WorldFlag_RESERVED = (A_long)0x80000000
};

enum {
  PF_NewWorldFlag_NONE = 0,
  PF_NewWorldFlag_CLEAR_PIXELS = 0x1,
  PF_NewWorldFlag_DEEP_PIXELS = 0x2,
  PF_NewWorldFlag_RESERVED0 = 0x4,
  PF_NewWorldFlag_RESERVED1 = 0x8
};

#define PF_MAX_CHAN8 255
#define PF_HALF_CHAN8 128
#define PF_MAX_CHAN16 32768
#define PF_HALF_CHAN16 16384

enum {
  PF_ChannelMask_ALPHA = 0x1,
  PF_ChannelMask_RED = 0x2,
  PF_ChannelMask_GREEN = 0x4,
  PF_ChannelMask_BLUE = 0x8,
  PF_ChannelMask_ARGB = 0xF
};

enum {
  PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS = 0x1,
  PF_RenderOutputFlag_GPU_RENDER_POSSIBLE = 0x2,
  PF_RenderOutputFlag_RESERVED1 = 0x4
};

enum {
  PF_GPU_Framework_NONE = 0,
  PF_GPU_Framework_OPENCL = 1,
  PF_GPU_Framework_METAL = 2,
  PF_GPU_Framework_CUDA = 3,
  PF_GPU_Framework_DIRECTX = 4
};

enum { PF_MaskFlag_NONE = 0, PF_MaskFlag_INVERTED = 0x1, PF_MaskFlag_LUMINANCE = 0x2 };

enum {
  PF_KernelFlag_2D = 0,
  PF_KernelFlag_1D = 0x1,
  PF_KernelFlag_UNNORMALIZED = 0,
  PF_KernelFlag_NORMALIZED = 0x2,
  PF_KernelFlag_CLAMP = 0,
  PF_KernelFlag_NO_CLAMP = 0x4,
  PF_KernelFlag_USE_LONG = 0,
  PF_KernelFlag_USE_CHAR = 0x8,
  PF_KernelFlag_USE_FIXED = 0x10,
  PF_KernelFlag_USE_UNDEFINED = 0x18,
  PF_KernelFlag_HORIZONTAL = 0,
  PF_KernelFlag_VERTICAL = 0x20,
  PF_KernelFlag_TRANSPARENT_BORDERS = 0,
  PF_KernelFlag_REPLICATE_BORDERS = 0x40,
  PF_KernelFlag_STRAIGHT_CONVOLVE = 0,
  PF_KernelFlag_ALPHA_WEIGHT_CONVOLVE = 0x80
};

enum { PF_Plane_ALPHA = 1, PF_Plane_RED = 2, PF_Plane_GREEN = 4, PF_Plane_BLUE = 8 };

enum { PF_SampleEdgeBehav_ZERO = 0 };

enum { PF_Iterations_ONCE_PER_PROCESSOR = -1 };

enum {
  PF_PlatData_MAIN_WND = 0,
  PF_PlatData_EXE_FILE_PATH_DEPRECATED = 1,
  PF_PlatData_RES_FILE_PATH_DEPRECATED = 2,
  PF_PlatData_RES_REFNUM = 3,
  PF_PlatData_RES_DLLINSTANCE = 4,
  PF_PlatData_SP_PLUG_REF = 5,
  PF_PlatData_BUNDLE_REF = 6,
  PF_PlatData_EXE_FILE_PATH_W = 7,
  PF_PlatData_RES_FILE_PATH_W = 8
};
#define AEFX_MAX_PATH 260

// Pixel formats: four characters with the first one in the lowest byte.
enum {
  PF_PixelFormat_ARGB32 = 0x62677261,   // 8 bits per channel
  PF_PixelFormat_ARGB64 = 0x36316561,   // 16 bits, full scale 32768
  PF_PixelFormat_ARGB128 = 0x32336561,  // 32-bit float, 1.0 = white
  PF_PixelFormat_GPU_BGRA128 = 0x41444340,
  PF_PixelFormat_RESERVED = 0x61444340,
  PF_PixelFormat_BGRA32 = 0x61726762,
  PF_PixelFormat_VUYA32 = 0x61797576,
  PF_PixelFormat_NTSCDV25 = 0x326E7664,
  PF_PixelFormat_PALDV25 = 0x32707664,
  PF_PixelFormat_INVALID = 0x66646162,
  PF_PixelFormat_FORCE_LONG_INT = (A_long)0xFFFFFFFF
};

// AEGP.
enum {
  AEGP_WorldType_NONE = 0,
  AEGP_WorldType_8 = 1,
  AEGP_WorldType_16 = 2,
  AEGP_WorldType_32 = 3
};

enum { AEGP_LTimeMode_LayerTime = 0, AEGP_LTimeMode_CompTime = 1 };

enum {
  AEGP_StreamType_NO_DATA = 0,
  AEGP_StreamType_ThreeD_SPATIAL = 1,
  AEGP_StreamType_ThreeD = 2,
  AEGP_StreamType_TwoD_SPATIAL = 3,
  AEGP_StreamType_TwoD = 4,
  AEGP_StreamType_OneD = 5,
  AEGP_StreamType_COLOR = 6,
  AEGP_StreamType_ARB = 7,
  AEGP_StreamType_MARKER = 8,
  AEGP_StreamType_LAYER_ID = 9,
  AEGP_StreamType_MASK_ID = 10,
  AEGP_StreamType_MASK = 11,
  AEGP_StreamType_TEXT_DOCUMENT = 12
};

enum {
  AEGP_EffectFlags_NONE = 0,
  AEGP_EffectFlags_ACTIVE = 0x1,
  AEGP_EffectFlags_AUDIO_ONLY = 0x2,
  AEGP_EffectFlags_AUDIO_TOO = 0x4,
  AEGP_EffectFlags_MISSING = 0x8
};

}  // extern "C"
