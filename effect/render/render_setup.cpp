#include "effect/render/render_setup.h"

#include "effect/host_calls/fill_ops.h"
#include "effect/host_calls/layer_ops.h"
#include "effect/host_calls/transform_ops.h"
#include "effect/host_calls/world_ops.h"
#include "effect/render/checkpoint.h"
#include "effect/render/pixel_depth.h"
#include "effect/render/radius_values.h"
#include "effect/render/read_params.h"
#include "effect/render/run_pixel_op.h"

namespace velmora {
namespace {

// opacitySu carries 0..255 like opacity: kept on purpose (docs/render.md).
constexpr PF_CompositeMode kPlacementMode{PF_Xfer_ADD, 0, 255, false, 255};
constexpr PF_CompositeMode kBackdropMode{PF_Xfer_BEHIND, 0, 255, false, 255};

PF_Rect WholeOf(const PF_EffectWorld& world) {
  return PF_Rect{0, 0, world.width, world.height};
}

// A render without its pre-render byte cannot place the layer; say so rather than leave the
// output untouched and report success.
bool FindLayerSized(RenderState& state) {
  state.layer_sized = static_cast<const A_u_char*>(state.extra->input->pre_render_data);
  return Carry(state, state.layer_sized ? PF_Err_NONE : PF_Err_OUT_OF_MEMORY);
}

// Once asked for, the input is checked in on every exit, even when the checkout failed.
bool CheckoutInputAndOutput(RenderState& state) {
  state.input_requested = true;
  return Carry(state, CheckoutLayerPixels(state.in_data, state.extra, 0, &state.input)) &&
         Carry(state, CheckoutOutput(state.in_data, state.extra, &state.output));
}

// The host gave no pixels to work on: the frame is empty. The road ends here.
bool NoInputExit(RenderState& state) {
  if (state.output) Carry(state, ClearWorld(state.in_data, state.output));
  return false;
}

// Radius or intensity 0: the output is the input, placed where the glow would have put it.
// The road ends here.
bool PassThroughExit(RenderState& state, PF_Rect placement) {
  if (Carry(state, ClearWorld(state.in_data, state.output))) {
    Carry(state,
          CopyRectHQ(*state.suites, state.in_data, state.input, state.output, nullptr, &placement));
  }
  return false;
}

bool GlowIsInvisible(const RenderState& state) {
  return state.blur_base == 0.0 || state.info.intensity == 0.0;
}

// Held until ReleaseRender gives it back.
bool AcquireWorldSuite(RenderState& state) {
  state.world_suite.emplace(state.in_data, state.out_data, kPFWorldSuite, kPFWorldSuiteVersion2,
                            "Couldn't load suite.", "Couldn't release suite");
  return Carry(state, state.world_suite->error());
}

// The controls, the tint colour and the input's pixel format.
bool ReadControls(RenderState& state) {
  state.pixel_format = PF_PixelFormat_INVALID;
  return ReadParams(state) && AcquireWorldSuite(state) && ReadTintColor(state) &&
         Checkpoint(state,
                    GetPixelFormat(state.world_suite->get(), state.input, &state.pixel_format));
}

void DeriveValues(RenderState& state) {
  const RadiusValues values = DeriveRadiusValues(state.info.radius);
  state.blur_base = values.blur_base;
  state.edge_margin = values.edge_margin;
  state.pad_size = values.pad_size;
  // From here the record's radius field holds BlurBase: the pixel operations' contract.
  state.info.radius = values.blur_base;
}

// SourceWorld and BackdropWorld at the output's size; the backdrop opaque black.
bool MakeSourceAndBackdrop(RenderState& state) {
  return Checkpoint(
      state, VisitPixelDepth(state.pixel_format, [&state](auto depth) {
        using Depth = decltype(depth);
        SuiteHandler& suites = *state.suites;
        const A_long width = state.output->width, height = state.output->height;
        PF_Err err = NewWorld(suites, Depth::kWorldType, width, height, &state.source_world);
        if (err == PF_Err_NONE) {
          err = NewWorld(suites, Depth::kWorldType, width, height, &state.backdrop_world);
        }
        if (err == PF_Err_NONE) {
          err = FillRect(suites, state.in_data, &Depth::kOpaqueBlack, nullptr,
                         &state.backdrop_world.world);
        }
        return err;
      }));
}

// Linear light for the glow when gamma is on; decoded before the black backdrop goes behind.
bool DecodeGamma(RenderState& state) {
  return state.info.gamma != 1 ||
         RunPixelOp(state, kDecodeSrgb, &state.source_world.world, &state.source_world.world);
}

// Where the layer goes in SourceWorld: its top left when its pixels are its whole frame,
// otherwise where the input's origin says.
PF_Rect LayerPlacement(const RenderState& state) {
  const PF_EffectWorld& input = *state.input;
  if (*state.layer_sized) return WholeOf(input);
  return PF_Rect{input.origin_x, input.origin_y, input.origin_x + input.width,
                 input.origin_y + input.height};
}

bool PlaceSizedLayer(RenderState& state, PF_Rect top_left) {
  return Carry(state, CopyRectHQ(*state.suites, state.in_data, state.input,
                                 &state.source_world.world, nullptr, &top_left)) &&
         DecodeGamma(state) && Checkpoint(state);
}

// Through BackdropWorld, which is the output's size, so the layer lands at its origin.
bool PlaceLayerAtOrigin(RenderState& state) {
  const PF_EffectWorld& input = *state.input;
  PF_Rect own_area = WholeOf(input);
  return Carry(state, TransferRect(*state.suites, state.in_data, state.in_data->quality,
                                   PF_MF_Alpha_STRAIGHT, state.in_data->field, &own_area,
                                   state.input, kPlacementMode, input.origin_x, input.origin_y,
                                   &state.backdrop_world.world)) &&
         Carry(state, CopyRectHQ(*state.suites, state.in_data, &state.backdrop_world.world,
                                 &state.source_world.world, nullptr, nullptr)) &&
         DecodeGamma(state) && Checkpoint(state);
}

// Opaque black behind the prepared layer; the backdrop is not needed after that.
bool PutBackdropBehind(RenderState& state) {
  PF_Rect whole{0, 0, state.info.output_width, state.info.output_height};
  return Checkpoint(state) &&
         Carry(state, TransferRect(*state.suites, state.in_data, state.in_data->quality,
                                   PF_MF_Alpha_STRAIGHT, state.in_data->field, &whole,
                                   &state.backdrop_world.world, kBackdropMode, 0, 0,
                                   &state.source_world.world)) &&
         Checkpoint(state, DisposeWorld(*state.suites, &state.backdrop_world));
}

}  // namespace

bool SetupRender(RenderState& state) {
  if (!Checkpoint(state)) return false;
  if (!FindLayerSized(state) || !CheckoutInputAndOutput(state)) return false;
  if (!state.input || !state.output) return NoInputExit(state);
  if (!ReadControls(state)) return false;
  DeriveValues(state);
  if (!MakeSourceAndBackdrop(state)) return false;

  const PF_Rect placement = LayerPlacement(state);
  if (!Checkpoint(state)) return false;
  if (GlowIsInvisible(state)) return PassThroughExit(state, placement);
  const bool placed =
      *state.layer_sized ? PlaceSizedLayer(state, placement) : PlaceLayerAtOrigin(state);
  return placed && PutBackdropBehind(state);
}

}  // namespace velmora
