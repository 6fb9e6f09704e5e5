#pragma once
// Scalar types, handles and opaque references of the host's effect interface. Every width is
// fixed (never `long`), so the layouts are the host's Windows x64 ones on LP64 systems too.

#include <cstddef>
#include <cstdint>

extern "C" {

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef unsigned char A_u_char;
typedef unsigned char A_Boolean;
typedef double A_FpLong;
typedef float A_FpShort;
typedef A_long A_Fixed;
typedef A_u_long A_UFixed;
typedef uint64_t A_u_longlong;
typedef A_u_longlong A_HandleSize;
typedef intptr_t A_intptr_t;
typedef A_long A_Err;
typedef A_u_short A_UTF16Char;

typedef char PF_Boolean;  // the host's Windows branch: a plain char
typedef A_long PF_Err;
typedef A_long PF_Fixed;
typedef A_u_long PF_UFixed;
typedef A_FpLong PF_FpLong;
typedef A_FpShort PF_FpShort;
typedef void** PF_Handle;
typedef PF_Handle PF_ArbitraryH;
typedef struct PF_ProgressInfo* PF_ProgPtr;
typedef void* PF_SndSamplePtr;
typedef struct _PF_LayerAudio* PF_LayerAudio;
typedef struct _PF_CustomUIInfo PF_CustomUIInfo;
typedef struct _PF_CallbackFunc* PF_CallbackFunc;  // cast to the real signature before calling

// The host's enumerations are anonymous enums whose values travel in these 32-bit words.
typedef A_long PF_Cmd;
typedef A_long PF_Quality;
typedef A_long PF_ModeFlags;
typedef A_long PF_Field;
typedef A_long PF_ParamType;
typedef A_long PF_ParamFlags;
typedef A_long PF_ParamUIFlags;
typedef A_long PF_ChangeFlags;
typedef A_long PF_OutFlags;
typedef A_long PF_OutFlags2;
typedef A_long PF_InFlags;
typedef A_long PF_WorldFlags;
typedef A_long PF_TransferMode;
typedef PF_TransferMode PF_XferMode;
typedef A_long PF_ChannelMask;
typedef A_long PF_GPU_Framework;
typedef A_long PF_PixelFormat;
typedef A_long PF_NewWorldFlags;
typedef A_long PF_CallbackID;
typedef A_long PF_PlatDataID;
typedef A_long PF_ParamIndex;
typedef A_long PF_ParamValue;
typedef A_long PF_Stage;
typedef A_long PF_MaskFlags;
typedef A_long PF_KeyIndex;
typedef A_long PF_TimeDir;
typedef A_short PF_ValueDisplayFlags;
typedef short PF_RenderOutputFlags;
typedef A_short PF_SoundFormat;
typedef A_short PF_SoundSampleSize;
typedef A_short PF_SoundChannels;
typedef A_u_long PF_FSliderFlags;
typedef A_u_long PF_KernelFlags;
typedef A_u_long PF_SampleEdgeBehav;
typedef A_u_long PF_Plane;
typedef A_u_long PF_PathID;

// The SP (plug-in suite) layer.
typedef int32_t SPErr;
typedef int32_t SPBoolean;  // 32 bits on Windows

// AEGP scalars and opaque handles.
typedef A_long AEGP_PluginID;
typedef A_long AEGP_WorldType;
typedef A_short AEGP_LTimeMode;
typedef A_long AEGP_StreamType;
typedef A_long AEGP_LayerStream;
typedef A_long AEGP_MaskStream;
typedef A_long AEGP_StreamFlags;
typedef A_long AEGP_KeyInterpolationMask;
typedef A_long AEGP_EffectFlags;
typedef A_long AEGP_EffectIndex;
typedef A_long AEGP_InstalledEffectKey;
typedef A_long AEGP_LayerIDVal;
typedef A_long AEGP_MaskIDVal;
typedef struct _Up_OpaqueMem** AEGP_MemHandle;
typedef AEGP_MemHandle A_Handle;
typedef struct _AEGP_LayerH** AEGP_LayerH;
typedef struct _AEGP_EffectRefH** AEGP_EffectRefH;
typedef struct _AEGP_StreamRefH** AEGP_StreamRefH;
typedef struct _AEGP_MaskRefH** AEGP_MaskRefH;
typedef struct _AEGP_WorldH** AEGP_WorldH;
typedef struct _AEGP_PlatformWorldH** AEGP_PlatformWorldH;
typedef struct _AEGP_MaskOutlineValH** AEGP_MaskOutlineValH;
typedef struct _AEGP_TextDocumentH** AEGP_TextDocumentH;
typedef struct _AEGP_MarkerVal* AEGP_MarkerValP;

}  // extern "C"
