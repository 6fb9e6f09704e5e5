#include "render/render_setup.h"

#include "host/image_ops.h"
#include "render/checkpoint.h"
#include "render/pixel_depth.h"
#include "render/radius_values.h"
#include "render/read_params.h"
#include "render/run_pixel_op.h"

namespace velmora {
namespace {

constexpr PF_CompositeMode kPlacementMode{PF_Xfer_ADD, 0, 255, false, 255};
constexpr PF_CompositeMode kBackdropMode{PF_Xfer_BEHIND, 0, 255, false, 255};

PF_Rect WholeOf(const PF_EffectWorld& world) {
  return PF_Rect{0, 0, world.width, world.height};
}

// The error of a failed step, or 0 when everything went well: the step is an exit.
PF_Err Finish(RenderState& state) {
  state.finished_early = true;
  return state.err;
}

void CheckoutInputAndOutput(RenderState& state) {
  state.err = CheckoutLayerPixels(state.in_data, state.extra, 0, &state.input);
  if (state.err != PF_Err_NONE) return;
  state.input_requested = true;
  state.err = CheckoutOutput(state.in_data, state.extra, &state.output);
}

// The host gave no pixels to work on: the frame is empty.
PF_Err NoInputExit(RenderState& state) {
  if (state.output) state.err = ClearWorld(state.in_data, state.output);
  return Finish(state);
}

// Radius or intensity 0: the output is the input, placed where the glow would have put it.
PF_Err PassThroughExit(RenderState& state, PF_Rect placement) {
  state.err = ClearWorld(state.in_data, state.output);
  if (state.err == PF_Err_NONE) {
    state.err =
        CopyRectHQ(*state.suites, state.in_data, state.input, state.output, nullptr, &placement);
  }
  return Finish(state);
}

bool GlowIsInvisible(const RenderState& state) {
  return state.blur_base == 0.0 || state.info.intensity == 0.0;
}

void AcquireWorldSuite(RenderState& state) {
  if (state.err != PF_Err_NONE) return;
  state.world_suite.emplace(state.in_data, state.out_data, kPFWorldSuite, kPFWorldSuiteVersion2,
                            "Couldn't load suite.", "Couldn't release suite");
  state.world_suite_held = state.world_suite->error() == PF_Err_NONE;
  if (!state.world_suite_held) {
    state.err = state.world_suite->error();
    state.world_suite.reset();
  }
}

void DeriveValues(RenderState& state) {
  const RadiusValues values = DeriveRadiusValues(state.info.radius);
  state.blur_base = values.blur_base;
  state.edge_margin = values.edge_margin;
  state.pad_size = values.pad_size;
  state.info.radius = values.blur_base;
}

// SourceWorld and BackdropWorld at the output's size; the backdrop opaque black.
void MakeSourceAndBackdrop(RenderState& state) {
  if (state.err != PF_Err_NONE) return;
  state.err = VisitPixelDepth(state.pixel_format, [&state](auto depth) {
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
  });
}

void DecodeGamma(RenderState& state) {
  if (state.info.gamma == 1) {
    RunPixelOp(state, kDecodeSrgb, &state.source_world.world, &state.source_world.world);
  }
}

// The layer's pixels are the layer's whole frame: they go to SourceWorld's top left.
PF_Err PlaceSizedLayer(RenderState& state) {
  PF_Rect top_left = WholeOf(*state.input);
  if (!Checkpoint(state)) return state.err;
  if (GlowIsInvisible(state)) return PassThroughExit(state, top_left);
  state.err = CopyRectHQ(*state.suites, state.in_data, state.input, &state.source_world.world,
                         nullptr, &top_left);
  if (state.err == PF_Err_NONE) DecodeGamma(state);
  Checkpoint(state);
  return state.err;
}

// The layer's pixels are part of a larger frame: they go where the input's origin says.
PF_Err PlaceLayerAtOrigin(RenderState& state) {
  const PF_EffectWorld& input = *state.input;
  PF_Rect own_area = WholeOf(input);
  PF_Rect at_origin{input.origin_x, input.origin_y, input.origin_x + input.width,
                    input.origin_y + input.height};
  if (!Checkpoint(state)) return state.err;
  if (GlowIsInvisible(state)) return PassThroughExit(state, at_origin);
  state.err =
      TransferRect(*state.suites, state.in_data, state.in_data->quality, PF_MF_Alpha_STRAIGHT,
                   state.in_data->field, &own_area, state.input, kPlacementMode, input.origin_x,
                   input.origin_y, &state.backdrop_world.world);
  if (state.err == PF_Err_NONE) {
    state.err = CopyRectHQ(*state.suites, state.in_data, &state.backdrop_world.world,
                           &state.source_world.world, nullptr, nullptr);
  }
  if (state.err == PF_Err_NONE) DecodeGamma(state);
  Checkpoint(state);
  return state.err;
}

// Opaque black behind the prepared layer; the backdrop is not needed after that.
void PutBackdropBehind(RenderState& state) {
  PF_Rect whole{0, 0, state.info.output_width, state.info.output_height};
  if (!Checkpoint(state)) return;
  state.err =
      TransferRect(*state.suites, state.in_data, state.in_data->quality, PF_MF_Alpha_STRAIGHT,
                   state.in_data->field, &whole, &state.backdrop_world.world, kBackdropMode, 0, 0,
                   &state.source_world.world);
  if (state.err == PF_Err_NONE) state.err = DisposeWorld(*state.suites, &state.backdrop_world);
  Checkpoint(state);
}

}  // namespace

PF_Err SetupRender(RenderState& state) {
  if (!Checkpoint(state)) return Finish(state);

  // A render without its pre-render byte cannot place the layer; say so rather than
  // leave the output untouched and report success.
  state.layer_sized = static_cast<const A_u_char*>(state.extra->input->pre_render_data);
  if (!state.layer_sized) {
    state.err = PF_Err_OUT_OF_MEMORY;
    return Finish(state);
  }

  CheckoutInputAndOutput(state);
  if (state.err != PF_Err_NONE) return Finish(state);
  if (!state.input || !state.output) return NoInputExit(state);

  ReadParams(state);
  state.pixel_format = PF_PixelFormat_INVALID;
  AcquireWorldSuite(state);
  ReadTintColor(state);
  if (state.err == PF_Err_NONE) {
    state.err = GetPixelFormat(state.world_suite->get(), state.input, &state.pixel_format);
  }
  if (!Checkpoint(state)) return Finish(state);

  DeriveValues(state);
  MakeSourceAndBackdrop(state);
  if (!Checkpoint(state)) return Finish(state);

  const PF_Err placed = *state.layer_sized ? PlaceSizedLayer(state) : PlaceLayerAtOrigin(state);
  if (placed != PF_Err_NONE || state.finished_early) return Finish(state);

  PutBackdropBehind(state);
  if (state.err != PF_Err_NONE) return Finish(state);
  return PF_Err_NONE;
}

}  // namespace velmora
