// SmartPreRender: asks the host for the input layer, reports what the effect will produce and
// hands LayerSized to the render. It reads no parameter, so the request passed on and the
// extents reported never depend on the glow's settings.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "effect/host_calls/layer_ops.h"
#include "effect/params/params.h"
#include "effect/render/layer_sized.h"
#include "effect/render/rect_union.h"
#include "effect/render/render_commands.h"

namespace velmora {
namespace {

// The layer's size at the current downsampling: truncating unsigned divisions by the
// factors' denominators (the numerators are not used). A zero denominator counts as 1.
A_u_long Downsampled(A_long size, A_u_long den) {
  return static_cast<A_u_long>(size) / (den != 0 ? den : 1);
}

// | |high| - |low| |, taken wide so that the most negative edge has an absolute value too.
// A layer grown evenly on both sides passes; kept on purpose (docs/render.md).
std::int64_t AbsoluteSpan(A_long low, A_long high) {
  return std::llabs(std::llabs(std::int64_t{high}) - std::llabs(std::int64_t{low}));
}

// The larger of an edge and the layer's size, compared as unsigned 32-bit numbers.
A_long UnsignedMax(A_long edge, A_u_long size) {
  return static_cast<A_u_long>(edge) > size ? edge : static_cast<A_long>(size);
}

}  // namespace

PF_Err SmartPreRender(PF_InData* in_data, PF_OutData*, PF_PreRenderExtra* extra) {
  PF_RenderRequest request = extra->input->output_request;
  request.channel_mask = PF_ChannelMask_ARGB;

  PF_CheckoutResult checkout{};
  if (const PF_Err err = CheckoutLayer(in_data, extra, PARAM_INPUT, 0, request, &checkout)) {
    return err;
  }

  A_u_char* layer_sized = NewLayerSized(0);
  if (!layer_sized) return PF_Err_OUT_OF_MEMORY;
  PF_PreRenderOutput& output = *extra->output;
  output.pre_render_data = layer_sized;
  output.delete_pre_render_data_func = DeleteLayerSized;
  output.flags |= PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS;

  const A_u_long layer_width = Downsampled(in_data->width, in_data->downsample_x.den);
  const A_u_long layer_height = Downsampled(in_data->height, in_data->downsample_y.den);
  const PF_LRect& max_rect = checkout.max_result_rect;
  const bool sized_as_layer = AbsoluteSpan(max_rect.left, max_rect.right) == layer_width &&
                              AbsoluteSpan(max_rect.top, max_rect.bottom) == layer_height;

  if (sized_as_layer) {
    RectUnionInto(checkout.result_rect, &output.result_rect);
    RectUnionInto(checkout.max_result_rect, &output.max_result_rect);
    *layer_sized = 1;
  } else {
    // Cover the layer's frame from the origin as well as what the host hands out.
    const PF_LRect& result = checkout.result_rect;
    const A_long left = std::min(result.left, A_long{0});
    const A_long top = std::min(result.top, A_long{0});
    output.result_rect = PF_LRect{left, top, UnsignedMax(result.right, layer_width),
                                  UnsignedMax(result.bottom, layer_height)};
    output.max_result_rect = PF_LRect{left, top, std::max(result.right, checkout.ref_width),
                                      std::max(result.bottom, checkout.ref_height)};
    *layer_sized = 0;
  }
  return PF_Err_NONE;
}

}  // namespace velmora
