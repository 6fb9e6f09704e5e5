#pragma once
// The one way a table leaves a slot unserved: the slot answers an error of its own type (the
// error the host gives for it: kErr) and does nothing; a slot returning a pointer answers null,
// one returning nothing just returns.

#include <type_traits>

#include "hostapi/host_api.h"

namespace hostsim {

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

// The error the image suites' unserved slots give: "not offered by this host".
inline constexpr A_long kNotOffered = PF_Err_UNRECOGNIZED_PARAM_TYPE;

}  // namespace hostsim
