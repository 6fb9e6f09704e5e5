// "PF Handle Suite" 2: handles from the host's HandleStore. The same functions serve the
// host_*_handle slots of the utility callbacks.
#include "hostsim/suites/handle_suite.h"

#include "hostsim/serve.h"
#include "hostsim/suites/suites.h"

namespace hostsim {

PF_Handle HostNewHandle(A_HandleSize size) noexcept {
  return ServeValue(PF_Handle{}, [&](HostServices& host) {
    return host.handles.New(static_cast<std::size_t>(size));
  });
}

void* HostLockHandle(PF_Handle handle) noexcept {
  return ServeValue<void*>(nullptr, [&](HostServices& host) { return host.handles.Lock(handle); });
}

void HostUnlockHandle(PF_Handle handle) noexcept {
  ServeValue(false, [&](HostServices& host) {
    host.handles.Unlock(handle);
    return true;
  });
}

void HostDisposeHandle(PF_Handle handle) noexcept {
  ServeValue(false, [&](HostServices& host) {
    host.handles.Dispose(handle);
    return true;
  });
}

A_HandleSize HostGetHandleSize(PF_Handle handle) noexcept {
  return ServeValue(A_HandleSize{0},
                    [&](HostServices& host) -> A_HandleSize { return host.handles.Size(handle); });
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
