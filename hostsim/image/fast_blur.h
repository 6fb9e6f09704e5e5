#pragma once
// AEGP_FastBlur's service: an in-place Gaussian-like blur whose cost per pixel does not depend
// on the radius.
//
// Radius to kernel: a radius r blurs like a Gaussian of standard deviation sigma = r / 2 on
// each axis. Each axis runs three identical box passes of variance sigma^2 / 3, so the result
// has exactly the variance sigma^2. A box of variance v has 2n + 1 full taps and a tap of
// weight f (0 <= f < 1) at each end, n and f chosen so that
//   (2 (1^2 + ... + n^2) + 2 f (n + 1)^2) / (2n + 1 + 2f) = v;
// f grows continuously with v, so the blur grows smoothly with the radius, fractional radii
// included. Each pass keeps a running sum of the window, O(1) work per pixel: in double
// precision for float worlds (nothing is left behind a large value once the window has passed
// it, below 1e-12 of it), exact in 32-bit integers for 8- and 16-bit worlds, which blur
// fixed-point values (see Rounding in docs/host-services.md). A constant frame comes back
// exactly away from the edges. A non-finite sample (or a straight colour whose weighting by
// alpha overflows) counts as 0.
//
// Pixels outside the world count as transparent black in every pass, so a blurred image fades
// towards the world's edge (a constant image keeps about 0.39 of its alpha on the edge row at
// sigma 3, less than a single Gaussian's 0.57: light a pass carries out is not brought back,
// which keeps the work per pixel independent of the radius). A radius larger than the world
// reads nothing outside it and tends to a uniform fade.
//
// With straight alpha (PF_MF_Alpha_STRAIGHT) colour is weighted by alpha while blurring and
// divided by the blurred alpha afterwards (colour 0 where alpha is 1e-7 or less), so
// transparent pixels never bleed their colour in; with premultiplied flags all four channels
// are blurred alike. Integer depths round to nearest when they store. Quality does not change the
// result. Radii above 10^6 blur as 10^6 (already a uniform fade over any world).
//
// Long windows (sigma of 40 pixels and more) are served from a copy averaged over cells of up
// to sigma / 20 pixels a side, blurred and interpolated back: every sample's alpha, and its
// colour weighted by the blurred alpha, stays within 1/255 of full scale of the exact blur
// (in float, of the world's brightest value).

#include <cstdint>

#include "hostapi/host_api.h"
#include "hostsim/world_store.h"

namespace hostsim::image {

// One box pass: 2 * half_width + 1 taps of weight 1 and one tap of end_weight at each end,
// all divided by 2 * half_width + 1 + 2 * end_weight.
struct BoxKernel {
  std::int64_t half_width = 0;
  double end_weight = 0.0;
};

double BlurSigma(double radius);  // radius / 2
BoxKernel BoxForVariance(double variance);

// PF_Err_BAD_CALLBACK_PARAM for a negative or non-finite radius; radius 0 changes nothing.
PF_Err FastBlur(const World& world, double radius, PF_ModeFlags flags);

// The pixel memory a blur of a width x height world takes from the pool beside the world, on
// `threads` worker threads: its line buffers, and at 8 and 16 bits its image of working values.
std::uint64_t BlurScratchBytes(Depth depth, std::int64_t width, std::int64_t height, int threads);

}  // namespace hostsim::image
