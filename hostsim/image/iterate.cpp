#include "hostsim/image/iterate.h"

#include <algorithm>
#include <atomic>

#include "hostsim/image/rect.h"
#include "hostsim/parallel.h"

// Threads: the host's own worker pool (parallel.h), plain std::threads, which the mingw-w64
// cross build has as well. Bands of rows go out in groups of two per thread; between groups
// the calling thread polls the host's interruption and reports progress, as the host's
// callbacks are only called from the thread that called iterate.

namespace hostsim::image {
namespace {

constexpr std::int64_t kBandRows = 16;  // interruption and progress granularity

}  // namespace

template <class Pixel>
PF_Err Iterate(const World* source, const World& destination, const PF_Rect* area, void* refcon,
               PixelFunction<Pixel> function, A_long progress_base, A_long progress_final,
               const IterateHooks& hooks) {
  constexpr Depth kDepth = DepthOf<Pixel>();
  if (function == nullptr || destination.depth != kDepth ||
      (source != nullptr && source->depth != kDepth)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const World& input = source != nullptr ? *source : destination;
  const Box box =
      Intersect(Intersect(RectOr(area, destination), WholeOf(destination)), WholeOf(input));
  if (box.empty()) return PF_Err_NONE;

  std::atomic<PF_Err> first_error{PF_Err_NONE};
  const std::int64_t rows = box.height(), columns = box.width();
  auto band = [&](std::int64_t b, int) {
    if (first_error.load(std::memory_order_relaxed) != PF_Err_NONE) return;
    const std::int64_t band_end = std::min(rows, (b + 1) * kBandRows);
    for (std::int64_t j = b * kBandRows; j < band_end; ++j) {
      const auto y = static_cast<A_long>(box.top + j);
      Pixel* in = input.pixel<Pixel>(static_cast<A_long>(box.left), y);
      Pixel* out = destination.pixel<Pixel>(static_cast<A_long>(box.left), y);
      for (std::int64_t i = 0; i < columns; ++i) {
        const PF_Err err = function(refcon, static_cast<A_long>(box.left + i), y, in + i, out + i);
        if (err != PF_Err_NONE) {
          PF_Err none = PF_Err_NONE;
          first_error.compare_exchange_strong(none, err);
          return;
        }
      }
    }
  };
  // A few bands per thread at a time: between groups the calling thread polls and reports
  // progress, and an error or interruption stops the pass within one group even when a
  // thread has stalled.
  const std::int64_t bands = (rows + kBandRows - 1) / kBandRows;
  const std::int64_t group = rows * columns >= 4096 ? 2 * ThreadCount() : bands;
  const std::int64_t span = std::int64_t{progress_final} - progress_base;
  for (std::int64_t first = 0; first < bands; first += group) {
    if (const PF_Err abort = hooks.poll(); abort != PF_Err_NONE) return abort;
    const std::int64_t count = std::min(group, bands - first);
    ParallelFor(count, [&](std::int64_t b, int thread) { band(first + b, thread); });
    if (const PF_Err err = first_error.load(); err != PF_Err_NONE) return err;
    const std::int64_t done = std::min(rows, (first + count) * kBandRows);
    hooks.progress(static_cast<A_long>(progress_base + span * done / rows), progress_final);
  }
  return PF_Err_NONE;
}

template PF_Err Iterate<PF_Pixel>(const World*, const World&, const PF_Rect*, void*,
                                  PixelFunction<PF_Pixel>, A_long, A_long, const IterateHooks&);
template PF_Err Iterate<PF_Pixel16>(const World*, const World&, const PF_Rect*, void*,
                                    PixelFunction<PF_Pixel16>, A_long, A_long, const IterateHooks&);
template PF_Err Iterate<PF_PixelFloat>(const World*, const World&, const PF_Rect*, void*,
                                       PixelFunction<PF_PixelFloat>, A_long, A_long,
                                       const IterateHooks&);

}  // namespace hostsim::image
