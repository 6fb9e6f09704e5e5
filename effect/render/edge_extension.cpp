#include "effect/render/edge_extension.h"

#include <algorithm>
#include <cstddef>

#include "effect/host_calls/fill_ops.h"
#include "effect/host_calls/transform_ops.h"
#include "effect/render/checkpoint.h"
#include "effect/render/pixel_depth.h"
#include "effect/render/working_world.h"

namespace velmora {
namespace {

// A copy of one strip of GlowWorld onto a wider strip of itself.
struct EdgeStrip {
  PF_Rect source;
  PF_Rect destination;
};

// One doubling pass for the four sides, in the order left, right, top, bottom. The source strip
// is the image's edge line plus the `step` lines already extended beyond it; it is stretched
// over a strip reaching (step + 1) x stretch lines past the edge, so the band doubles with
// every pass.
void EdgeStripsOfPass(A_long margin, A_long width, A_long height, A_long step,
                      EdgeStrip (&strips)[4]) {
  const A_long m = margin;
  const A_long stretch = step == 1 ? 1 : 2;
  const A_long reach = (step + 1) * stretch;
  strips[0] = {Rect16(m - step, m, m + 1, m + height),
               Rect16(m - reach, m, m - step + 1, m + height)};
  strips[1] = {Rect16(m + width - 1, m, m + width + step, m + height),
               Rect16(m + width + step - 1, m, m + width + reach, m + height)};
  strips[2] = {Rect16(m, m - step, m + width, m + 1),
               Rect16(m, m - reach, m + width, m - step + 1)};
  strips[3] = {Rect16(m, m + height - 1, m + width, m + height + step),
               Rect16(m, m + height + step - 1, m + width, m + height + reach)};
}

// Passes needed for the band to reach `margin` lines: one, plus one per doubling of 1 up to it.
A_long EdgePassCount(A_long margin) {
  A_long passes = 1;
  for (A_long reach = 1; reach < margin; reach *= 2) ++passes;
  return passes;
}

bool LayerIsOutputSized(const RenderState& state) {
  return state.layer_sized != nullptr && *state.layer_sized != 0;
}

// Fills the four corner squares of GlowWorld (top-left, top-right, bottom-left, bottom-right).
// With a layer of the output's size each takes the colour of a pixel beside it on the
// extended border; otherwise they are cleared, the layer's border there being the backdrop.
PF_Err FillCorners(RenderState& state, A_long width, A_long height) {
  const A_long m = state.edge_margin;
  const PF_Rect corners[4] = {{0, 0, m, m},
                              {m + width, 0, 2 * m + width, m},
                              {0, m + height, m, 2 * m + height},
                              {m + width, m + height, 2 * m + width, 2 * m + height}};
  PF_EffectWorld* glow = &state.glow_world.world;

  return VisitPixelDepth(state.pixel_format, [&](auto depth) -> PF_Err {
    using Pixel = typename decltype(depth)::Pixel;
    if (!LayerIsOutputSized(state)) {
      for (const PF_Rect& corner : corners) {
        const Pixel* no_color = nullptr;
        if (PF_Err err = FillRect(*state.suites, state.in_data, no_color, &corner, glow)) {
          return err;
        }
      }
      return PF_Err_NONE;
    }
    if (m == 0) return PF_Err_NONE;  // the corner squares are empty

    // The samples follow the input's size. Clamped, so that an input larger than the output
    // never makes us read outside GlowWorld.
    struct Sample {
      A_long x, y;
    };
    const A_long input_width = state.input->width;
    const A_long input_height = state.input->height;
    const Sample samples[4] = {{m - 1, m},
                               {input_width + m, m},
                               {m, input_height + m - 1},
                               {input_width + m, input_height + m - 1}};
    for (int corner = 0; corner < 4; ++corner) {
      const A_long x = std::clamp<A_long>(samples[corner].x, 0, glow->width - 1);
      const A_long y = std::clamp<A_long>(samples[corner].y, 0, glow->height - 1);
      const auto* row = static_cast<const char*>(static_cast<const void*>(glow->data)) +
                        static_cast<std::ptrdiff_t>(y) * glow->rowbytes;
      const Pixel color = reinterpret_cast<const Pixel*>(row)[x];
      if (PF_Err err = FillRect(*state.suites, state.in_data, &color, &corners[corner], glow)) {
        return err;
      }
    }
    return PF_Err_NONE;
  });
}

}  // namespace

bool ExtendEdges(RenderState& state) {
  PF_EffectWorld* source = &state.source_world.world;
  const A_long m = state.edge_margin;
  const A_long width = source->width;
  const A_long height = source->height;
  PF_Rect image_area = Rect16(m, m, m + width, m + height);
  if (!Checkpoint(state)) return false;

  // PadSize is at least the radius, so at least 2 x EdgeMargin: the band fits on every side.
  PF_EffectWorld* glow = &state.glow_world.world;
  if (!NewWorkingWorld(state, width + state.pad_size, height + state.pad_size, &state.glow_world) ||
      !NewWorkingWorld(state, width + state.pad_size, height + state.pad_size,
                       &state.source_copy_world) ||
      !Checkpoint(state,
                  CopyRect(*state.suites, state.in_data, source, glow, nullptr, &image_area))) {
    return false;
  }

  const A_long passes = EdgePassCount(m);
  for (A_long pass = 0, step = 1; pass < passes; ++pass, step *= 2) {
    EdgeStrip strips[4];
    EdgeStripsOfPass(m, width, height, step, strips);
    for (EdgeStrip& strip : strips) {
      if (!Checkpoint(state, CopyRect(*state.suites, state.in_data, glow, glow, &strip.source,
                                      &strip.destination))) {
        return false;
      }
    }
  }

  if (!Checkpoint(state, FillCorners(state, width, height)) ||
      !Checkpoint(state, CopyRect(*state.suites, state.in_data, glow,
                                  &state.source_copy_world.world, nullptr, nullptr))) {
    return false;
  }
  // A second poll in a row for an output-sized layer: kept on purpose (docs/render.md).
  if (LayerIsOutputSized(state)) return Checkpoint(state);
  return true;
}

}  // namespace velmora
