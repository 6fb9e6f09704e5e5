#pragma once
// The effect's user-visible texts: Simplified Chinese, stored as code page 936 bytes and
// handed to the host unchanged.

#include "hostapi/host_api.h"

namespace velmora {

enum StringIndex : A_long {
  STR_NONE = 0,
  STR_NAME,
  STR_DESCRIPTION,
  STR_GLOW_RADIUS,
  STR_GLOW_INTENSITY,
  STR_GLOW_QUALITY,
  STR_GLOW_FALLOFF,
  STR_TINT_COLOR,
  STR_GLOW_MODE,
  STR_GLOW_MODE_CHOICES,
  STR_TINT_ENABLE,
  STR_TINT_MODE,
  STR_TINT_MODE_CHOICES,
  STR_REPEAT_EDGES,
  STR_PREMULTIPLY,
  STR_UNMULTIPLY,
  STR_GAMMA,
  STR_COUNT
};

// The zero-terminated text of row `index`, valid for the life of the module. Callers pass
// the constants above; there is no range check.
const A_char* GetStringPtr(A_long index);

}  // namespace velmora
