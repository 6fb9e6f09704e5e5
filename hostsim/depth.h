#pragma once
// The host's three pixel depths, the one vocabulary of the simulated host and the velmora
// command: the enum, a traits type per depth, the one switch from a runtime depth to its traits,
// and the depth's pixel size, pixel format, world type, name and command-line spelling.
// (The effect keeps its own depth traits in effect/render/pixel_depth.h: it sees the host only
// through the published interface.)

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "hostapi/host_api.h"

namespace hostsim {

// Values equal the host's AEGP_WorldType codes.
enum class Depth : A_long { k8 = 1, k16 = 2, k32 = 3 };

// What a depth is: its pixel record, channel type and full scale (16-bit white is 32768, float
// is unbounded with 1.0 as white), its pixel format and its names.
struct Depth8 {
  using Pixel = PF_Pixel;
  using Channel = A_u_char;
  static constexpr Depth kDepth = Depth::k8;
  static constexpr float kFullScale = 255.0f;
  static constexpr bool kLimited = true;
  static constexpr PF_PixelFormat kFormat = PF_PixelFormat_ARGB32;
  static constexpr const char* kName = "8-bit";
  static constexpr std::string_view kFlag = "8";
};

struct Depth16 {
  using Pixel = PF_Pixel16;
  using Channel = A_u_short;
  static constexpr Depth kDepth = Depth::k16;
  static constexpr float kFullScale = 32768.0f;
  static constexpr bool kLimited = true;
  static constexpr PF_PixelFormat kFormat = PF_PixelFormat_ARGB64;
  static constexpr const char* kName = "16-bit";
  static constexpr std::string_view kFlag = "16";
};

struct DepthFloat {
  using Pixel = PF_PixelFloat;
  using Channel = PF_FpShort;
  static constexpr Depth kDepth = Depth::k32;
  static constexpr float kFullScale = 1.0f;
  static constexpr bool kLimited = false;
  static constexpr PF_PixelFormat kFormat = PF_PixelFormat_ARGB128;
  static constexpr const char* kName = "float";
  static constexpr std::string_view kFlag = "32";
};

// The one place a runtime depth picks its traits: returns fn(traits). An unknown depth is an
// error, never a fall-through: unknown() answers it, or, without one, std::invalid_argument.
template <class Fn, class Unknown>
decltype(auto) VisitDepth(Depth depth, Fn&& fn, Unknown&& unknown) {
  switch (depth) {
    case Depth::k8:
      return fn(Depth8{});
    case Depth::k16:
      return fn(Depth16{});
    case Depth::k32:
      return fn(DepthFloat{});
  }
  return unknown();
}

template <class Fn>
decltype(auto) VisitDepth(Depth depth, Fn&& fn) {
  return VisitDepth(depth, fn, [&]() -> decltype(fn(Depth8{})) {
    throw std::invalid_argument("unknown pixel depth");
  });
}

// The traits of the depth whose worlds hold records of type Pixel.
template <class Pixel>
struct TraitsOf;
template <>
struct TraitsOf<PF_Pixel> : Depth8 {};
template <>
struct TraitsOf<PF_Pixel16> : Depth16 {};
template <>
struct TraitsOf<PF_PixelFloat> : DepthFloat {};

template <class Pixel>
constexpr Depth DepthOf() {
  return TraitsOf<Pixel>::kDepth;
}

// 0 for an unknown depth.
inline std::size_t PixelSize(Depth depth) {
  return VisitDepth(
      depth, [](auto traits) { return sizeof(typename decltype(traits)::Pixel); },
      [] { return std::size_t{0}; });
}

// 8, 16 or 32: four channels a pixel.
inline int BitsPerChannel(Depth depth) {
  return static_cast<int>(PixelSize(depth) * 8 / 4);
}

// PF_PixelFormat_INVALID for an unknown depth.
inline PF_PixelFormat PixelFormatOf(Depth depth) {
  return VisitDepth(
      depth, [](auto traits) { return decltype(traits)::kFormat; },
      [] { return PF_PixelFormat{PF_PixelFormat_INVALID}; });
}

// "8-bit", "16-bit" or "float", for messages.
inline const char* DepthName(Depth depth) {
  return VisitDepth(
      depth, [](auto traits) { return decltype(traits)::kName; }, [] { return "unknown depth"; });
}

inline constexpr Depth kDepths[] = {Depth::k8, Depth::k16, Depth::k32};

// The depth of a pixel format, an AEGP world type, or the command line's "8", "16" or "32";
// none for anything else.
inline std::optional<Depth> DepthOfFormat(PF_PixelFormat format) {
  for (Depth depth : kDepths) {
    if (PixelFormatOf(depth) == format) return depth;
  }
  return std::nullopt;
}

inline std::optional<Depth> DepthOfWorldType(AEGP_WorldType type) {
  for (Depth depth : kDepths) {
    if (static_cast<AEGP_WorldType>(depth) == type) return depth;
  }
  return std::nullopt;
}

inline std::optional<Depth> ParseDepth(std::string_view text) {
  for (Depth depth : kDepths) {
    if (VisitDepth(depth, [](auto traits) { return decltype(traits)::kFlag; }) == text)
      return depth;
  }
  return std::nullopt;
}

}  // namespace hostsim
