#pragma once
// The firewall around every function the effect can call: count the host operation (and
// answer an injected fault), check the context, and turn any exception into a host error
// code, so nothing unwinds through the C boundary. The image services also journal each
// call's arguments for tests.

#include <new>
#include <type_traits>
#include <utility>

#include "hostapi/host_api.h"
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

// The one firewall: counts `op`, runs body() unless a fault skips it, and maps anything
// thrown to the error code of Errors.
template <class Errors, OnFault kOnFault, class Body>
A_long Firewall(const char* op, Body&& body) noexcept {
  try {
    const PF_Err injected = BeginHostOperation(op);
    if (injected != PF_Err_NONE) RecordRefusal(op, injected, "a fault injected for testing");
    if (injected != PF_Err_NONE && kOnFault == OnFault::kSkip) return injected;
    const A_long err = body();
    if (err != PF_Err_NONE) RecordRefusal(op, err);
    return injected != PF_Err_NONE ? injected : err;
  } catch (const std::bad_alloc&) {
    RecordRefusal(op, Errors::kNoMemory);
    return Errors::kNoMemory;
  } catch (...) {
    RecordRefusal(op, Errors::kInternal);
    return Errors::kInternal;
  }
}

// A service of the current host: serve(services) returns the error code; with no current
// host the call is a bad argument.
template <class Errors = PfErrors, class Service>
A_long Serve(const char* op, Service&& serve) noexcept {
  HostServices* services = CurrentServices();
  if (!services) return Errors::kBadArgument;
  return Firewall<Errors, OnFault::kSkip>(op, [&] { return serve(*services); });
}

// A release: it happens even when a fault is injected, which is then reported.
template <class Errors = PfErrors, class Release>
A_long ServeRelease(const char* op, Release&& release) noexcept {
  HostServices* services = CurrentServices();
  if (!services) return Errors::kBadArgument;
  return Firewall<Errors, OnFault::kRunAnyway>(op, [&] { return release(*services); });
}

// An image service: describe(call) journals its arguments before body() runs.
template <OnFault kOnFault = OnFault::kSkip, class Describe, class Body>
PF_Err Serve(const char* op, Describe&& describe, Body&& body) noexcept {
  return Firewall<PfErrors, kOnFault>(op, [&]() -> PF_Err {
    HostCall call;
    call.op = op;
    describe(call);
    RecordHostCall(std::move(call));
    return body();
  });
}

// For the image slots this host does not offer: an error, never a crash.
inline PF_Err NotOffered() {
  return PF_Err_UNRECOGNIZED_PARAM_TYPE;
}

// A slot this host does not serve answers with an error of its own type and does nothing.
template <class Fn, A_long kErr>
struct Unserved;
template <class R, class... Args, A_long kErr>
struct Unserved<R (*)(Args...), kErr> {
  static R Call(Args...) noexcept {
    if constexpr (std::is_void_v<R>)
      return;
    else if constexpr (std::is_pointer_v<R>)
      return nullptr;
    else
      return static_cast<R>(kErr);
  }
};
template <class R, class... Args, A_long kErr>
struct Unserved<R (*)(Args..., ...), kErr> {
  static R Call(Args..., ...) noexcept { return static_cast<R>(kErr); }
};

template <A_long kErr = PF_Err_INVALID_CALLBACK, class Fn>
void LeaveUnserved(Fn& slot) {
  slot = &Unserved<Fn, kErr>::Call;
}

}  // namespace hostsim
