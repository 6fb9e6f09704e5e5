#pragma once
// The C boundary of every image service: count the call (fault injection may fail it),
// journal its arguments, run it, and turn anything thrown into a host error code so that
// nothing unwinds into the effect.

#include <new>
#include <utility>

#include "hostapi/host_api.h"
#include "hostsim/host_operation.h"

namespace hostsim::image {

// What a slot does when a fault is injected for it: most skip their work; a release (a
// world's disposal) still releases, since an effect can do nothing about a failed release and
// must not be charged with a leak for it. Either way the injected error is returned.
enum class OnFault { kSkip, kRunAnyway };

template <OnFault kOnFault = OnFault::kSkip, class Describe, class Body>
PF_Err Serve(const char* op, Describe&& describe, Body&& body) noexcept {
  try {
    const PF_Err injected = BeginHostOperation(op);
    HostCall call;
    call.op = op;
    describe(call);
    RecordHostCall(std::move(call));
    if (injected != PF_Err_NONE) RecordRefusal(op, injected, "a fault injected for testing");
    if (injected != PF_Err_NONE && kOnFault == OnFault::kSkip) return injected;
    const PF_Err err = body();
    if (err != PF_Err_NONE) RecordRefusal(op, err);
    return injected != PF_Err_NONE ? injected : err;
  } catch (const std::bad_alloc&) {
    RecordRefusal(op, PF_Err_OUT_OF_MEMORY);
    return PF_Err_OUT_OF_MEMORY;
  } catch (...) {
    RecordRefusal(op, PF_Err_INTERNAL_STRUCT_DAMAGED);
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
}

// For the slots this host does not offer: an error, never a crash.
inline PF_Err NotOffered() {
  return PF_Err_UNRECOGNIZED_PARAM_TYPE;
}

}  // namespace hostsim::image
