#include "effect/render/run_pixel_op.h"

#include <type_traits>

#include "effect/host_calls/iterate_ops.h"
#include "effect/render/checkpoint.h"
#include "effect/render/pixel_depth.h"

namespace velmora {
namespace {

template <typename Pixel>
auto FunctionFor(const PixelOp& op) {
  if constexpr (std::is_same_v<Pixel, PF_Pixel>) {
    return op.depth8;
  } else if constexpr (std::is_same_v<Pixel, PF_Pixel16>) {
    return op.depth16;
  } else {
    return op.depth_float;
  }
}

}  // namespace

bool RunPixelOp(RenderState& state, const PixelOp& op, PF_EffectWorld* src, PF_EffectWorld* dst) {
  return Carry(state, VisitPixelDepth(state.pixel_format, [&](auto depth) {
                 using Pixel = typename decltype(depth)::Pixel;
                 return IterateWorld(*state.suites, state.in_data, state.progress_count, src,
                                     &state.info, FunctionFor<Pixel>(op), dst);
               }));
}

}  // namespace velmora
