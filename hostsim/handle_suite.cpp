// "PF Handle Suite" 2: handles from the host's HandleStore. The same functions serve the
// host_*_handle slots of the utility callbacks.
#include "hostsim/handle_suite.h"

#include "hostsim/serve.h"

namespace hostsim {

PF_Handle HostNewHandle(A_HandleSize size) noexcept {
  try {
    HostServices* host = CurrentServices();
    return host ? host->handles.New(static_cast<std::size_t>(size)) : nullptr;
  } catch (...) {
    return nullptr;
  }
}

void* HostLockHandle(PF_Handle handle) noexcept {
  try {
    HostServices* host = CurrentServices();
    return host ? host->handles.Lock(handle) : nullptr;
  } catch (...) {
    return nullptr;
  }
}

void HostUnlockHandle(PF_Handle handle) noexcept {
  try {
    if (HostServices* host = CurrentServices()) host->handles.Unlock(handle);
  } catch (...) {
  }
}

void HostDisposeHandle(PF_Handle handle) noexcept {
  try {
    if (HostServices* host = CurrentServices()) host->handles.Dispose(handle);
  } catch (...) {
  }
}

A_HandleSize HostGetHandleSize(PF_Handle handle) noexcept {
  try {
    HostServices* host = CurrentServices();
    return host ? host->handles.Size(handle) : 0;
  } catch (...) {
    return 0;
  }
}

PF_Err HostResizeHandle(A_HandleSize size, PF_Handle* handle) noexcept {
  return Serve("host_resize_handle", [&](HostServices& host) {
    return host.handles.Resize(static_cast<std::size_t>(size), handle);
  });
}

void RegisterHandleSuite(SuiteRegistry& registry) {
  static const PF_HandleSuite1 suite = [] {
    PF_HandleSuite1 table{};
    table.host_new_handle = HostNewHandle;
    table.host_lock_handle = HostLockHandle;
    table.host_unlock_handle = HostUnlockHandle;
    table.host_dispose_handle = HostDisposeHandle;
    table.host_get_handle_size = HostGetHandleSize;
    table.host_resize_handle = HostResizeHandle;
    return table;
  }();
  registry.Add(kPFHandleSuite, kPFHandleSuiteVersion1, &suite);
}

}  // namespace hostsim
