#include "effect/render/tint_finish.h"

#include <algorithm>

#include "effect/host_calls/fill_ops.h"
#include "effect/host_calls/transform_ops.h"
#include "effect/host_calls/world_ops.h"
#include "effect/params/params.h"
#include "effect/render/checkpoint.h"
#include "effect/render/pixel_depth.h"
#include "effect/render/run_pixel_op.h"
#include "effect/render/working_world.h"

namespace velmora {
namespace {

// The tint colour (alpha, red, green, blue on a 0..1 scale) as a solid fill colour of a depth:
// float keeps every value, integer depths hold each component to 0..full scale.
template <typename Pixel>
Pixel TintFillColor(const PixelOpInfo& info) {
  using Depth = PixelDepth<Pixel>;
  using Channel = typename Depth::Channel;
  const auto channel = [](double value) -> Channel {
    if constexpr (!Depth::kInteger) {
      return static_cast<Channel>(value);
    } else {
      // Held below as well as above: a negative (or NaN) component is no colour, not a
      // wrapped-around full scale.
      const double held = value > 0.0 ? std::min(value, 1.0) : 0.0;
      return static_cast<Channel>(held * Depth::kFullScale);
    }
  };
  return Pixel{channel(info.tint_alpha), channel(info.tint_red), channel(info.tint_green),
               channel(info.tint_blue)};
}

// TintWorld, GlowWorld's size, solid in the tint colour; made whether or not the tint is on.
bool MakeTintWorld(RenderState& state) {
  const PF_EffectWorld& glow = state.glow_world.world;
  if (!NewWorkingWorld(state, glow.width, glow.height, &state.tint_world) || !Checkpoint(state)) {
    return false;
  }
  return Checkpoint(state, VisitPixelDepth(state.pixel_format, [&](auto depth) {
                      using Pixel = typename decltype(depth)::Pixel;
                      const Pixel color = TintFillColor<Pixel>(state.info);
                      return FillRect(*state.suites, state.in_data, &color, nullptr,
                                      &state.tint_world.world);
                    }));
}

PF_CompositeMode FullOpacity(PF_TransferMode xfer) {
  PF_CompositeMode mode{};
  mode.xfer = xfer;
  mode.rand_seed = 0;
  mode.opacity = 255;
  mode.rgb_only = false;
  mode.opacitySu = 255;  // 0..255 like opacity: kept on purpose (docs/render.md)
  return mode;
}

// Composites all of `layer` onto GlowWorld at the render's quality.
PF_Err TransferOntoGlow(RenderState& state, const PF_EffectWorld& layer, PF_TransferMode xfer) {
  PF_EffectWorld& glow = state.glow_world.world;
  const PF_Rect whole = Rect16(0, 0, glow.width, glow.height);
  return TransferRect(*state.suites, state.in_data, state.in_data->quality, PF_MF_Alpha_STRAIGHT,
                      state.in_data->field, &whole, &layer, FullOpacity(xfer), 0, 0, &glow);
}

bool TintGlow(RenderState& state) {
  PF_EffectWorld* glow = &state.glow_world.world;
  PF_EffectWorld* source_copy = &state.source_copy_world.world;
  if (!Checkpoint(state)) return false;
  switch (state.info.tint_mode) {
    case TINT_MODE_STANDARD:
      return RunPixelOp(state, kDesaturateAverage, glow, glow) &&
             RunPixelOp(state, kMultiplyByTint, glow, glow) && Checkpoint(state);
    case TINT_MODE_SOFT:
      return Checkpoint(state, TransferOntoGlow(state, state.tint_world.world, PF_Xfer_SOFT_LIGHT));
    case TINT_MODE_LIGHT_BLEND:
      // GlowWorld becomes its tint-added self times its own grey copy. SourceCopyWorld holds
      // that copy; nothing reads the source from it any more.
      return Checkpoint(state, ClearWorld(state.in_data, source_copy)) &&
             RunPixelOp(state, kDesaturateAverage, glow, source_copy) && Checkpoint(state) &&
             RunPixelOp(state, kAddTint, glow, glow) && Checkpoint(state) &&
             Checkpoint(state, TransferOntoGlow(state, *source_copy, PF_Xfer_MULTIPLY));
    default:
      return Checkpoint(state);  // no tint for a mode we do not know
  }
}

// The output is GlowWorld's window over the output's area: past the extended border when
// edges repeat, so that band never reaches the frame.
bool CopyGlowToOutput(RenderState& state) {
  PF_EffectWorld* output = state.output;
  const A_long width = output->width;
  const A_long height = output->height;
  const A_long offset = state.info.repeat_edges == 1 ? state.edge_margin : 0;
  PF_Rect window = Rect16(offset, offset, offset + width, offset + height);
  PF_Rect frame = Rect16(0, 0, width, height);
  return Carry(state, ClearWorld(state.in_data, output)) &&
         Checkpoint(state, CopyRect(*state.suites, state.in_data, &state.glow_world.world, output,
                                    &window, &frame));
}

bool FinishOutput(RenderState& state) {
  PF_EffectWorld* output = state.output;
  // From 1.0 up the levels went in at full opacity and the intensity scales the whole frame,
  // on linear values when gamma is on.
  if (state.info.intensity >= 1.0 && !RunPixelOp(state, kScaleColor, output, output)) return false;
  if (!Checkpoint(state)) return false;
  if (state.info.gamma == 1 && !RunPixelOp(state, kEncodeSrgb, output, output)) return false;
  if (state.info.unmultiply == 1 &&
      !(RunPixelOp(state, kAlphaFromMaxChannel, output, output) &&
        Carry(state, Unpremultiply(*state.suites, state.in_data, output)))) {
    return false;
  }
  return Checkpoint(state);
}

}  // namespace

bool TintAndFinish(RenderState& state) {
  if (!MakeTintWorld(state)) return false;
  if (state.info.tint_enable != 0 && !TintGlow(state)) return false;
  if (!Checkpoint(state, DisposeWorld(*state.suites, &state.tint_world))) return false;
  return CopyGlowToOutput(state) && FinishOutput(state);
}

}  // namespace velmora
