#pragma once
// Host handles through the holder's "PF Handle Suite". A refused suite throws MissingSuite
// (SuiteHandler).

#include "effect/host_calls/suite_handler.h"

namespace velmora {

// Null when the host has no memory to give.
PF_Handle NewHandle(SuiteHandler& suites, A_HandleSize size);
// Null when the host cannot lock it.
void* LockHandle(SuiteHandler& suites, PF_Handle handle);
void UnlockHandle(SuiteHandler& suites, PF_Handle handle);
void DisposeHandle(SuiteHandler& suites, PF_Handle handle);

}  // namespace velmora
