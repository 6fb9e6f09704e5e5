#pragma once
// Running one piece of code over the three sample types an Image can hold.

#include <OpenImageIO/imageio.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <type_traits>

namespace cli {

// Calls visit.template operator()<T>() with T the C++ type of samples of the given type.
template <class Visitor>
decltype(auto) VisitSampleType(OIIO::TypeDesc type, Visitor&& visit) {
  if (type == OIIO::TypeDesc::UINT8) return visit.template operator()<std::uint8_t>();
  if (type == OIIO::TypeDesc::UINT16) return visit.template operator()<std::uint16_t>();
  if (type == OIIO::TypeDesc::FLOAT) return visit.template operator()<float>();
  throw std::logic_error("unexpected sample type " + std::string(type.c_str()));
}

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
