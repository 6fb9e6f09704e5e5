#pragma once
// The per-pixel operations of the glow, each in the host's iteration-callback form at the
// three depths. The refcon is the render's PixelOpInfo, read only; x and y are not used; only
// the output pixel is written, and input and output may be the same pixel. Every call
// returns PF_Err_NONE.

#include "hostapi/host_api.h"

namespace velmora {

// Alpha = the brightest colour channel; colours untouched.
PF_Err AlphaFromMaxChannel8(void* refcon, A_long x, A_long y, PF_Pixel* in, PF_Pixel* out);
PF_Err AlphaFromMaxChannel16(void* refcon, A_long x, A_long y, PF_Pixel16* in, PF_Pixel16* out);
PF_Err AlphaFromMaxChannelFloat(void* refcon, A_long x, A_long y, PF_PixelFloat* in,
                                PF_PixelFloat* out);

// Colours times intensity.
PF_Err ScaleColor8(void* refcon, A_long x, A_long y, PF_Pixel* in, PF_Pixel* out);
PF_Err ScaleColor16(void* refcon, A_long x, A_long y, PF_Pixel16* in, PF_Pixel16* out);
PF_Err ScaleColorFloat(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);

// Colours times the tint colour; alpha from the tint alpha.
PF_Err MultiplyByTint8(void* refcon, A_long x, A_long y, PF_Pixel* in, PF_Pixel* out);
PF_Err MultiplyByTint16(void* refcon, A_long x, A_long y, PF_Pixel16* in, PF_Pixel16* out);
PF_Err MultiplyByTintFloat(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);

// Colours plus the tint colour; alpha from the tint alpha.
PF_Err AddTint8(void* refcon, A_long x, A_long y, PF_Pixel* in, PF_Pixel* out);
PF_Err AddTint16(void* refcon, A_long x, A_long y, PF_Pixel16* in, PF_Pixel16* out);
PF_Err AddTintFloat(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);

// Each colour = the average of the three.
PF_Err DesaturateAverage8(void* refcon, A_long x, A_long y, PF_Pixel* in, PF_Pixel* out);
PF_Err DesaturateAverage16(void* refcon, A_long x, A_long y, PF_Pixel16* in, PF_Pixel16* out);
PF_Err DesaturateAverageFloat(void* refcon, A_long x, A_long y, PF_PixelFloat* in,
                              PF_PixelFloat* out);

// Linear light to the sRGB curve.
PF_Err EncodeSrgb8(void* refcon, A_long x, A_long y, PF_Pixel* in, PF_Pixel* out);
PF_Err EncodeSrgb16(void* refcon, A_long x, A_long y, PF_Pixel16* in, PF_Pixel16* out);
PF_Err EncodeSrgbFloat(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);

// The sRGB curve to linear light.
PF_Err DecodeSrgb8(void* refcon, A_long x, A_long y, PF_Pixel* in, PF_Pixel* out);
PF_Err DecodeSrgb16(void* refcon, A_long x, A_long y, PF_Pixel16* in, PF_Pixel16* out);
PF_Err DecodeSrgbFloat(void* refcon, A_long x, A_long y, PF_PixelFloat* in, PF_PixelFloat* out);

// One operation at the three depths, for running it over a world at the input's depth.
struct PixelOp {
  PF_IteratePixel8Func depth8;
  PF_IteratePixel16Func depth16;
  PF_IteratePixelFloatFunc depth_float;
};

inline constexpr PixelOp kAlphaFromMaxChannel{AlphaFromMaxChannel8, AlphaFromMaxChannel16,
                                              AlphaFromMaxChannelFloat};
inline constexpr PixelOp kScaleColor{ScaleColor8, ScaleColor16, ScaleColorFloat};
inline constexpr PixelOp kMultiplyByTint{MultiplyByTint8, MultiplyByTint16, MultiplyByTintFloat};
inline constexpr PixelOp kAddTint{AddTint8, AddTint16, AddTintFloat};
inline constexpr PixelOp kDesaturateAverage{DesaturateAverage8, DesaturateAverage16,
                                            DesaturateAverageFloat};
inline constexpr PixelOp kEncodeSrgb{EncodeSrgb8, EncodeSrgb16, EncodeSrgbFloat};
inline constexpr PixelOp kDecodeSrgb{DecodeSrgb8, DecodeSrgb16, DecodeSrgbFloat};

}  // namespace velmora
