#pragma once
// The three pixel depths the effect works at, as one traits type per pixel record, and the
// one place that turns the input's pixel format into a depth.

#include "hostapi/host_api.h"

namespace velmora {

template <typename Pixel>
struct PixelDepth;

template <>
struct PixelDepth<PF_Pixel> {
  using Pixel = PF_Pixel;
  using Channel = A_u_char;
  static constexpr bool kInteger = true;
  static constexpr double kFullScale = 255.0;
  static constexpr AEGP_WorldType kWorldType = AEGP_WorldType_8;
  static constexpr PF_Pixel kOpaqueBlack{255, 0, 0, 0};
};

template <>
struct PixelDepth<PF_Pixel16> {
  using Pixel = PF_Pixel16;
  using Channel = A_u_short;
  static constexpr bool kInteger = true;
  static constexpr double kFullScale = 32768.0;  // the host's 16-bit white, not 65535
  static constexpr AEGP_WorldType kWorldType = AEGP_WorldType_16;
  static constexpr PF_Pixel16 kOpaqueBlack{32768, 0, 0, 0};
};

template <>
struct PixelDepth<PF_PixelFloat> {
  using Pixel = PF_PixelFloat;
  using Channel = PF_FpShort;
  static constexpr bool kInteger = false;  // values below 0 and above 1 pass through
  static constexpr double kFullScale = 1.0;
  static constexpr AEGP_WorldType kWorldType = AEGP_WorldType_32;
  static constexpr PF_PixelFloat kOpaqueBlack{1.0f, 0.0f, 0.0f, 0.0f};
};

// Calls visit(PixelDepth<Pixel>{}) for the depth of `format` and returns its result; any
// other format is PF_Err_BAD_CALLBACK_PARAM and visits nothing.
template <typename Visit>
PF_Err VisitPixelDepth(PF_PixelFormat format, Visit&& visit) {
  switch (format) {
    case PF_PixelFormat_ARGB32:
      return visit(PixelDepth<PF_Pixel>{});
    case PF_PixelFormat_ARGB64:
      return visit(PixelDepth<PF_Pixel16>{});
    case PF_PixelFormat_ARGB128:
      return visit(PixelDepth<PF_PixelFloat>{});
    default:
      return PF_Err_BAD_CALLBACK_PARAM;
  }
}

}  // namespace velmora
