#pragma once
// The firewall around every function the effect can call: find the current host's state,
// count the host operation (and answer an injected fault), and turn any exception into a host
// error code, so nothing unwinds through the C boundary. The image services also journal each
// call's arguments for tests and count the least memory traffic the call implies.

#include <new>
#include <utility>

#include "hostapi/host_api.h"
#include "hostsim/floor_bytes.h"
#include "hostsim/host_call.h"
#include "hostsim/host_operation.h"
#include "hostsim/host_services.h"

namespace hostsim {

struct PfErrors {
  static constexpr A_long kInternal = PF_Err_INTERNAL_STRUCT_DAMAGED;
  static constexpr A_long kNoMemory = PF_Err_OUT_OF_MEMORY;
  static constexpr A_long kBadArgument = PF_Err_BAD_CALLBACK_PARAM;
};

struct AegpErrors {
  static constexpr A_long kInternal = A_Err_GENERIC;
  static constexpr A_long kNoMemory = A_Err_ALLOC;
  static constexpr A_long kBadArgument = A_Err_PARAMETER;
};

// What a service does when a fault is injected for it: most skip their work; a release still
// releases, since an effect can do nothing about a failed release and must not be charged
// with a leak for it. Either way the injected error is returned.
enum class OnFault { kSkip, kRunAnyway };

// The one firewall: with the current host's state, counts `op`, runs body(services) unless a
// fault skips it, and maps anything thrown to the error code of Errors. With no current host
// the call is a bad argument.
template <class Errors, OnFault kOnFault, class Body>
A_long Firewall(const char* op, Body&& body) noexcept {
  HostServices* services = CurrentServices();
  if (!services) return Errors::kBadArgument;
  HostServices& host = *services;
  try {
    const PF_Err injected = BeginHostOperation(host, op);
    if (injected != PF_Err_NONE) RecordRefusal(host, op, injected, "a fault injected for testing");
    if (injected != PF_Err_NONE && kOnFault == OnFault::kSkip) return injected;
    const A_long err = body(host);
    if (err != PF_Err_NONE) RecordRefusal(host, op, err);
    return injected != PF_Err_NONE ? injected : err;
  } catch (const std::bad_alloc&) {
    RecordRefusal(host, op, Errors::kNoMemory);
    return Errors::kNoMemory;
  } catch (...) {
    RecordRefusal(host, op, Errors::kInternal);
    return Errors::kInternal;
  }
}

// A service: serve(services) returns the error code.
template <class Errors = PfErrors, class Service>
A_long Serve(const char* op, Service&& serve) noexcept {
  return Firewall<Errors, OnFault::kSkip>(op, serve);
}

// A release: it happens even when a fault is injected, which is then reported.
template <class Errors = PfErrors, class Release>
A_long ServeRelease(const char* op, Release&& release) noexcept {
  return Firewall<Errors, OnFault::kRunAnyway>(op, release);
}

// An image service: describe(call) journals its arguments before body(services) runs; a call
// that succeeds adds the memory traffic its worlds and rectangles imply to the floor.
template <OnFault kOnFault = OnFault::kSkip, class Describe, class Body>
PF_Err Serve(const char* op, Describe&& describe, Body&& body) noexcept {
  return Firewall<PfErrors, kOnFault>(op, [&](HostServices& host) -> PF_Err {
    HostCall call;
    call.op = op;
    describe(call);
    RecordHostCall(host, call);
    const PF_Err err = body(host);
    if (err == PF_Err_NONE) AddFloorBytes(FloorBytesOf(call));
    return err;
  });
}

// A slot that answers a value rather than an error code and is no host operation (the handle
// functions, the text functions): answer(services), or fallback with no current host or when
// anything is thrown.
template <class Result, class Answer>
Result ServeValue(Result fallback, Answer&& answer) noexcept {
  try {
    HostServices* services = CurrentServices();
    return services ? answer(*services) : fallback;
  } catch (...) {
    return fallback;
  }
}

}  // namespace hostsim
