#include "effect/render/glow_levels.h"

#include "effect/host_calls/fill_ops.h"
#include "effect/host_calls/transform_ops.h"
#include "effect/host_calls/world_ops.h"
#include "effect/params/params.h"
#include "effect/render/checkpoint.h"
#include "effect/render/pixel_depth.h"
#include "effect/render/working_world.h"

namespace velmora {

namespace {

// The composite record of every level: Screen, or Add for the Add glow mode, at full opacity
// from intensity 1.0 up and at a lowered opacity below it.
PF_CompositeMode LevelCompositeMode(const PixelOpInfo& info) {
  PF_CompositeMode mode{};
  mode.xfer = info.glow_mode == GLOW_MODE_ADD ? PF_Xfer_ADD : PF_Xfer_SCREEN;
  mode.rand_seed = 0;
  mode.rgb_only = false;
  // Below 1.0 the intensity fades every level; from 1.0 up the finishing pass scales instead.
  A_long opacity = 255;
  if (info.intensity < 1.0) opacity = static_cast<A_long>(255.0 - (1.0 - info.intensity) * 255.0);
  mode.opacity = static_cast<A_u_char>(opacity);
  // The same 0..255 number, not rescaled: kept on purpose (docs/render.md).
  mode.opacitySu = static_cast<A_u_short>(opacity);
  return mode;
}

// The part of SourceCopyWorld a level starts from. With edge repeat the band of extended edge
// around the source widens from a tenth of EdgeMargin at the finest level to all of it at the
// coarsest; the rest of LevelWorld stays clear.
PF_Err CopyLevelSource(RenderState& state, float level) {
  const A_long width = state.source_world.world.width;
  const A_long height = state.source_world.world.height;
  PF_EffectWorld* source_copy = &state.source_copy_world.world;
  PF_EffectWorld* level_world = &state.level_world.world;
  if (state.info.repeat_edges == 1) {
    const A_long margin = state.edge_margin;
    const auto shift = static_cast<A_long>(static_cast<float>(margin) /
                                           (static_cast<float>(GLOW_LEVEL_COUNT) - level));
    PF_Rect window =
        Rect16(margin - shift, margin - shift, margin + width + shift, margin + height + shift);
    return CopyRect(*state.suites, state.in_data, source_copy, level_world, &window, &window);
  }
  PF_Rect whole = Rect16(0, 0, width, height);
  return CopyRect(*state.suites, state.in_data, source_copy, level_world, &whole, nullptr);
}

// One level: a windowed copy of the source, blurred at `blur_radius` and composited onto
// GlowWorld. Returns false once the render must stop.
bool AddGlowLevel(RenderState& state, float level, float blur_radius,
                  const PF_CompositeMode& level_mode) {
  PF_EffectWorld& glow = state.glow_world.world;
  const PF_Rect whole = Rect16(0, 0, glow.width, glow.height);
  return Checkpoint(state, ClearWorld(state.in_data, &state.level_world.world)) &&
         Checkpoint(state, CopyLevelSource(state, level)) &&
         Checkpoint(state, FastBlur(*state.suites, static_cast<double>(blur_radius),
                                    &state.level_world)) &&
         Checkpoint(state) &&  // a second poll in a row: kept on purpose (docs/render.md)
         // Always the fast composite: the levels are blurred, so quality buys nothing here.
         Checkpoint(state, TransferRect(*state.suites, state.in_data, PF_Quality_LO,
                                        PF_MF_Alpha_STRAIGHT, state.in_data->field, &whole,
                                        &state.level_world.world, level_mode, 0, 0, &glow));
}

}  // namespace

bool AccumulateGlowLevels(RenderState& state) {
  const PF_CompositeMode level_mode = LevelCompositeMode(state.info);
  if (!Checkpoint(state)) return false;

  // One LevelWorld serves all ten levels; it is cleared at the start of each.
  const PF_EffectWorld& glow = state.glow_world.world;
  if (!NewWorkingWorld(state, glow.width, glow.height, &state.level_world) || !Checkpoint(state)) {
    return false;
  }

  if (state.blur_base > 0.0) {
    // Single precision on purpose: the radii the host sees are the float doublings.
    float blur_radius = static_cast<float>(state.blur_base);
    for (float level = 0.0f; level < static_cast<float>(GLOW_LEVEL_COUNT); level += 1.0f) {
      if (!AddGlowLevel(state, level, blur_radius, level_mode)) return false;
      blur_radius *= 2.0f;
    }
  }

  return Checkpoint(state, DisposeWorld(*state.suites, &state.level_world));
}

}  // namespace velmora
