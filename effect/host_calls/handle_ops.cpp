#include "effect/host_calls/handle_ops.h"

namespace velmora {

PF_Handle NewHandle(SuiteHandler& suites, A_HandleSize size) {
  return suites.HandleSuite1()->host_new_handle(size);
}

void* LockHandle(SuiteHandler& suites, PF_Handle handle) {
  return suites.HandleSuite1()->host_lock_handle(handle);
}

void UnlockHandle(SuiteHandler& suites, PF_Handle handle) {
  suites.HandleSuite1()->host_unlock_handle(handle);
}

void DisposeHandle(SuiteHandler& suites, PF_Handle handle) {
  suites.HandleSuite1()->host_dispose_handle(handle);
}

}  // namespace velmora
