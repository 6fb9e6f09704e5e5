#pragma once
// Text through the host's own string functions, so it is written as the host writes it.

#include "effect/host_calls/suite_handler.h"
#include "hostapi/host_api.h"

namespace velmora {

// Utility callback strcpy. The caller makes sure `text` fits `destination`.
void CopyText(const PF_InData* in_data, A_char* destination, const A_char* text);

// "PF ANSI Suite" 1 sprintf: unbounded, so the caller makes sure the result fits.
template <typename... Args>
void FormatText(SuiteHandler& suites, A_char* destination, const A_char* format, Args... args) {
  suites.ANSICallbacksSuite1()->sprintf(destination, format, args...);
}

}  // namespace velmora
