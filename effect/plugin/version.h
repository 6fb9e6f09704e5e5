#pragma once
// The effect's identity, version and global flags. GlobalSetup and About report them, and the
// build copies them into the property list (cmake/pipl.cmake reads this file), so the host sees
// the same words in both places. The version's numbers come from the project's version. Each value
// is a number, a string, another definition from this file or a named host constant.

#include "effect/plugin/version_number.h"  // VELMORA_MAJOR, VELMORA_MINOR, VELMORA_PATCH
#include "hostapi/host_api.h"

#define VELMORA_NAME "Velmora"
#define VELMORA_CATEGORY "Tarnwick"
#define VELMORA_MATCH_NAME "ADBE TarnwickVelmora"
#define VELMORA_ENTRY_POINT "EntryPointFunc"

#define VELMORA_STAGE PF_Stage_RELEASE
#define VELMORA_BUILD 0
#define VELMORA_VERSION \
  PF_VERSION(VELMORA_MAJOR, VELMORA_MINOR, VELMORA_PATCH, VELMORA_STAGE, VELMORA_BUILD)

// The effect-interface version the effect is written against, and the property list's own
// format version.
#define VELMORA_SPEC_MAJOR 13
#define VELMORA_SPEC_MINOR 0
#define VELMORA_PIPL_MAJOR 2
#define VELMORA_PIPL_MINOR 0

#define VELMORA_OUT_FLAGS                                                                     \
  (PF_OutFlag_KEEP_RESOURCE_OPEN | PF_OutFlag_I_EXPAND_BUFFER | PF_OutFlag_DEEP_COLOR_AWARE | \
   PF_OutFlag_SEND_UPDATE_PARAMS_UI)
#define VELMORA_OUT_FLAGS2                                                     \
  (PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS | PF_OutFlag2_REVEALS_ZERO_ALPHA | \
   PF_OutFlag2_SUPPORTS_SMART_RENDER | PF_OutFlag2_FLOAT_COLOR_AWARE)
