#pragma once
// The firewall around every function the effect can call: count the host operation (and
// answer an injected fault), check the context, and turn any exception into a host error
// code, so nothing unwinds through the C boundary.

#include <new>
#include <type_traits>

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

// Runs serve(services) unless the operation is to fail; serve returns the error code.
template <class Errors = PfErrors, class Service>
A_long Serve(const char* op, Service&& serve) noexcept {
  try {
    HostServices* services = CurrentServices();
    if (!services) return Errors::kBadArgument;
    if (const PF_Err err = BeginHostOperation(op)) {
      RecordRefusal(op, err, "a fault injected for testing");
      return err;
    }
    const A_long err = serve(*services);
    if (err) RecordRefusal(op, err);
    return err;
  } catch (const std::bad_alloc&) {
    RecordRefusal(op, Errors::kNoMemory);
    return Errors::kNoMemory;
  } catch (...) {
    RecordRefusal(op, Errors::kInternal);
    return Errors::kInternal;
  }
}

// A release: it happens even when a fault is injected, which is then reported.
template <class Errors = PfErrors, class Release>
A_long ServeRelease(const char* op, Release&& release) noexcept {
  try {
    HostServices* services = CurrentServices();
    if (!services) return Errors::kBadArgument;
    const PF_Err injected = BeginHostOperation(op);
    const A_long err = release(*services);
    if (injected) RecordRefusal(op, injected, "a fault injected for testing");
    if (err) RecordRefusal(op, err);
    return injected ? injected : err;
  } catch (const std::bad_alloc&) {
    RecordRefusal(op, Errors::kNoMemory);
    return Errors::kNoMemory;
  } catch (...) {
    RecordRefusal(op, Errors::kInternal);
    return Errors::kInternal;
  }
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
