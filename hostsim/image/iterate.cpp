#include "hostsim/image/iterate.h"

#include <algorithm>
#include <atomic>

#include "hostsim/host_operation.h"
#include "hostsim/image/rect.h"

// Threads: OpenMP rather than oneTBB, because the Windows build of the simulated host uses
// the mingw-w64 cross compiler, which ships OpenMP (libgomp, linked statically) while oneTBB
// is not packaged for it; one threading model serves both builds.

namespace hostsim::image {
namespace {

constexpr std::int64_t kBandRows = 16;  // interruption and progress granularity

}  // namespace

template <class Pixel>
PF_Err Iterate(const World* source, const World& destination, const PF_Rect* area, void* refcon,
               PixelFunction<Pixel> function, A_long progress_base, A_long progress_final) {
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
  for (std::int64_t band = 0; band < rows; band += kBandRows) {
    if (const PF_Err abort = PollAbort(); abort != PF_Err_NONE) return abort;
    const std::int64_t band_end = std::min(rows, band + kBandRows);
#pragma omp parallel for schedule(dynamic, 1) if ((band_end - band) * columns >= 4096)
    for (std::int64_t j = band; j < band_end; ++j) {
      if (first_error.load(std::memory_order_relaxed) != PF_Err_NONE) continue;
      const auto y = static_cast<A_long>(box.top + j);
      Pixel* in = input.pixel<Pixel>(static_cast<A_long>(box.left), y);
      Pixel* out = destination.pixel<Pixel>(static_cast<A_long>(box.left), y);
      for (std::int64_t i = 0; i < columns; ++i) {
        const PF_Err err = function(refcon, static_cast<A_long>(box.left + i), y, in + i, out + i);
        if (err != PF_Err_NONE) {
          PF_Err none = PF_Err_NONE;
          first_error.compare_exchange_strong(none, err);
          break;
        }
      }
    }
    if (const PF_Err err = first_error.load(); err != PF_Err_NONE) return err;
    const std::int64_t span = std::int64_t{progress_final} - progress_base;
    ReportProgress(static_cast<A_long>(progress_base + span * band_end / rows), progress_final);
  }
  return PF_Err_NONE;
}

template PF_Err Iterate<PF_Pixel>(const World*, const World&, const PF_Rect*, void*,
                                  PixelFunction<PF_Pixel>, A_long, A_long);
template PF_Err Iterate<PF_Pixel16>(const World*, const World&, const PF_Rect*, void*,
                                    PixelFunction<PF_Pixel16>, A_long, A_long);
template PF_Err Iterate<PF_PixelFloat>(const World*, const World&, const PF_Rect*, void*,
                                       PixelFunction<PF_PixelFloat>, A_long, A_long);

}  // namespace hostsim::image
