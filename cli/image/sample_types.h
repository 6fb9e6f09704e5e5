#pragma once
// The sample types files hold as the command reads and writes them.

#include <limits>
#include <type_traits>

namespace cli {

// Full scale of a sample type as files hold it: opaque alpha, white.
template <class T>
constexpr T FullScale() {
  if constexpr (std::is_same_v<T, float>) {
    return 1.0f;
  } else {
    return std::numeric_limits<T>::max();
  }
}

}  // namespace cli
