#pragma once
// The iterate suites' service: the pixel function runs once for every pixel of the area, on
// all cores. The area (null: the whole destination) is in destination coordinates, clipped to
// the destination and, when there is a source, to the source; `in` is the source pixel at the
// same position (the destination's own pixel when there is no source). Rows go in bands:
// between bands the host's interruption is polled and progress reported through the hooks, from
// progress_base to progress_final. The first error of the pixel function or the interruption stops
// the pass and is returned.

#include <functional>

#include "hostapi/host_api.h"
#include "hostsim/world_store.h"

namespace hostsim::image {

// How the pass speaks to its host between groups of bands: poll() answers the host's
// interruption (nonzero stops the pass with that code); progress(current, total) reports.
struct IterateHooks {
  std::function<PF_Err()> poll;
  std::function<void(A_long current, A_long total)> progress;
};

template <class Pixel>
using PixelFunction = PF_Err (*)(void* refcon, A_long x, A_long y, Pixel* in, Pixel* out);

// PF_Err_BAD_CALLBACK_PARAM when a world's depth does not match the pixel record.
template <class Pixel>
PF_Err Iterate(const World* source, const World& destination, const PF_Rect* area, void* refcon,
               PixelFunction<Pixel> function, A_long progress_base, A_long progress_final,
               const IterateHooks& hooks);

extern template PF_Err Iterate<PF_Pixel>(const World*, const World&, const PF_Rect*, void*,
                                         PixelFunction<PF_Pixel>, A_long, A_long,
                                         const IterateHooks&);
extern template PF_Err Iterate<PF_Pixel16>(const World*, const World&, const PF_Rect*, void*,
                                           PixelFunction<PF_Pixel16>, A_long, A_long,
                                           const IterateHooks&);
extern template PF_Err Iterate<PF_PixelFloat>(const World*, const World&, const PF_Rect*, void*,
                                              PixelFunction<PF_PixelFloat>, A_long, A_long,
                                              const IterateHooks&);

}  // namespace hostsim::image
