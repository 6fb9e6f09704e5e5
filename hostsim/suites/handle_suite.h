#pragma once
// The host's handle functions, shared by "PF Handle Suite" and the utility callbacks.

#include "hostapi/host_api.h"

namespace hostsim {

PF_Handle HostNewHandle(A_HandleSize size) noexcept;
void* HostLockHandle(PF_Handle handle) noexcept;
void HostUnlockHandle(PF_Handle handle) noexcept;
void HostDisposeHandle(PF_Handle handle) noexcept;
A_HandleSize HostGetHandleSize(PF_Handle handle) noexcept;
PF_Err HostResizeHandle(A_HandleSize size, PF_Handle* handle) noexcept;

}  // namespace hostsim
