#pragma once
// The C boundary of every image service: count the call (fault injection may fail it),
// journal its arguments, run it, and turn anything thrown into a host error code so that
// nothing unwinds into the effect.

#include <new>
#include <utility>

#include "hostapi/host_api.h"
#include "hostsim/host_operation.h"

namespace hostsim::image {

template <class Describe, class Body>
PF_Err Serve(const char* op, Describe&& describe, Body&& body) noexcept {
  try {
    const PF_Err injected = BeginHostOperation(op);
    HostCall call;
    call.op = op;
    describe(call);
    RecordHostCall(std::move(call));
    if (injected != PF_Err_NONE) return injected;
    return body();
  } catch (const std::bad_alloc&) {
    return PF_Err_OUT_OF_MEMORY;
  } catch (...) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
}

// A release (a world's disposal): it happens even when a fault is injected for it, which is
// then reported; an effect can do nothing about a failed release, so it must not leak.
template <class Describe, class Body>
PF_Err ServeRelease(const char* op, Describe&& describe, Body&& body) noexcept {
  try {
    const PF_Err injected = BeginHostOperation(op);
    HostCall call;
    call.op = op;
    describe(call);
    RecordHostCall(std::move(call));
    const PF_Err err = body();
    return injected != PF_Err_NONE ? injected : err;
  } catch (const std::bad_alloc&) {
    return PF_Err_OUT_OF_MEMORY;
  } catch (...) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
}

// For the slots this host does not offer: an error, never a crash.
inline PF_Err NotOffered() {
  return PF_Err_UNRECOGNIZED_PARAM_TYPE;
}

}  // namespace hostsim::image
