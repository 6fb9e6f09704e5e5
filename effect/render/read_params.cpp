#include "effect/render/read_params.h"

#include <cmath>

#include "effect/host_calls/param_ops.h"
#include "effect/host_calls/stream_ops.h"
#include "effect/params/params.h"
#include "effect/render/checkpoint.h"

namespace velmora {
namespace {

template <typename CopyValue>
bool ReadParam(RenderState& state, PF_ParamIndex index, CopyValue copy_value) {
  PF_ParamDef param{};
  if (!Carry(state, CheckoutParam(state.in_data, index, &param))) return false;
  copy_value(param.u);
  return Carry(state, CheckinParam(state.in_data, &param));
}

double Factor(const PF_RationalScale& scale) {
  return scale.num > 0 && scale.den > 0 ? static_cast<double>(scale.num) / scale.den : 1.0;
}

}  // namespace

double DownsampleFactor(const PF_InData& in_data) {
  // The host scales both axes alike. Should it not, one radius must serve both: the
  // geometric mean, which is exactly the common factor when they agree.
  return std::sqrt(Factor(in_data.downsample_x) * Factor(in_data.downsample_y));
}

bool ReadParams(RenderState& state) {
  PixelOpInfo& info = state.info;
  info = PixelOpInfo{};
  info.output_width = state.output->width;
  info.output_height = state.output->height;
  state.progress_count = state.output->extent_hint.bottom - state.output->extent_hint.top;

  // The radius is in full-resolution pixels; a preview at a fraction of that resolution
  // blurs by the same fraction, so it shows the full frame's glow scaled down.
  const double downsample = DownsampleFactor(*state.in_data);
  return ReadParam(state, PARAM_RADIUS,
                   [&](const PF_ParamDefUnion& u) {
                     info.radius = static_cast<double>(u.sd.value) * downsample;
                   }) &&
         ReadParam(state, PARAM_INTENSITY,
                   [&](const PF_ParamDefUnion& u) {
                     info.intensity = u.fs_d.value < 0.0 ? 0.0 : u.fs_d.value;
                   }) &&
         ReadParam(state, PARAM_GLOW_MODE,
                   [&](const PF_ParamDefUnion& u) { info.glow_mode = u.pd.value; }) &&
         ReadParam(state, PARAM_TINT_ENABLE,
                   [&](const PF_ParamDefUnion& u) { info.tint_enable = u.bd.value; }) &&
         ReadParam(state, PARAM_TINT_MODE,
                   [&](const PF_ParamDefUnion& u) { info.tint_mode = u.pd.value; }) &&
         ReadParam(state, PARAM_UNMULTIPLY,
                   [&](const PF_ParamDefUnion& u) { info.unmultiply = u.bd.value; }) &&
         ReadParam(state, PARAM_GAMMA,
                   [&](const PF_ParamDefUnion& u) { info.gamma = u.bd.value; }) &&
         ReadParam(state, PARAM_REPEAT_EDGES,
                   [&](const PF_ParamDefUnion& u) { info.repeat_edges = u.bd.value; });
}

bool ReadTintColor(RenderState& state) {
  AEGP_ColorVal color{};
  if (!Carry(state, GetEffectStreamColor(*state.suites, state.in_data, PARAM_TINT_COLOR, &color))) {
    return false;
  }
  state.info.tint_alpha = color.alphaF;
  state.info.tint_red = color.redF;
  state.info.tint_green = color.greenF;
  state.info.tint_blue = color.blueF;
  return true;
}

}  // namespace velmora
