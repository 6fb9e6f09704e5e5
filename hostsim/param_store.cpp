#include "hostsim/param_store.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace hostsim {

namespace {

// A new parameter starts at its default, as in the host's effect controls.
void ResetToDefault(PF_ParamDef& def) {
  switch (def.param_type) {
    case PF_Param_SLIDER:
      def.u.sd.value = def.u.sd.dephault;
      break;
    case PF_Param_FLOAT_SLIDER:
      def.u.fs_d.value = def.u.fs_d.dephault;
      break;
    case PF_Param_CHECKBOX:
      def.u.bd.value = def.u.bd.dephault;
      break;
    case PF_Param_POPUP:
      def.u.pd.value = def.u.pd.dephault;
      break;
    case PF_Param_COLOR:
      def.u.cd.value = def.u.cd.dephault;
      break;
    default:
      break;
  }
}

A_u_char To8Bit(double channel) {
  return static_cast<A_u_char>(std::lround(std::clamp(channel, 0.0, 1.0) * 255.0));
}

double Lerp(double a, double b, double t) {
  return a + (b - a) * t;
}

}  // namespace

ParamStore::ParamStore() {
  PF_ParamDef layer{};
  layer.param_type = PF_Param_LAYER;
  current_.push_back(layer);
}

PF_ParamDef& ParamStore::operator[](int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= current_.size())
    throw std::out_of_range("hostsim: no parameter " + std::to_string(index));
  return current_[static_cast<std::size_t>(index)];
}

const PF_ParamDef& ParamStore::operator[](int index) const {
  return const_cast<ParamStore&>(*this)[index];
}

void ParamStore::SetColorKeyframes(int index, std::vector<ColorKey> keys) {
  if ((*this)[index].param_type != PF_Param_COLOR)
    throw std::invalid_argument("hostsim: parameter " + std::to_string(index) + " is not a colour");
  std::sort(keys.begin(), keys.end(),
            [](const ColorKey& a, const ColorKey& b) { return a.seconds < b.seconds; });
  color_keys_[index] = std::move(keys);
}

AEGP_ColorVal ParamStore::ColorAt(int index, double seconds) const {
  const PF_ParamDef& def = (*this)[index];
  auto keyed = color_keys_.find(index);
  if (keyed == color_keys_.end() || keyed->second.empty()) {
    const PF_Pixel& value = def.u.cd.value;
    return {value.alpha / 255.0, value.red / 255.0, value.green / 255.0, value.blue / 255.0};
  }
  const auto& keys = keyed->second;
  if (seconds <= keys.front().seconds) return keys.front().color;
  if (seconds >= keys.back().seconds) return keys.back().color;
  auto next = std::upper_bound(keys.begin(), keys.end(), seconds,
                               [](double t, const ColorKey& key) { return t < key.seconds; });
  const ColorKey& before = *(next - 1);
  const double t = (seconds - before.seconds) / (next->seconds - before.seconds);
  return {Lerp(before.color.alphaF, next->color.alphaF, t),
          Lerp(before.color.redF, next->color.redF, t),
          Lerp(before.color.greenF, next->color.greenF, t),
          Lerp(before.color.blueF, next->color.blueF, t)};
}

void ParamStore::BeginDeclaring() {
  declared_.clear();
  color_keys_.clear();
  current_.resize(1);
}

PF_Err ParamStore::Add(PF_ParamIndex index, const PF_ParamDef& def) {
  const auto count = static_cast<PF_ParamIndex>(current_.size());
  if (index != -1 && (index < 1 || index > count)) return PF_Err_INVALID_INDEX;
  declared_.push_back(def);
  PF_ParamDef current = def;
  ResetToDefault(current);
  current_.insert(current_.begin() + (index == -1 ? count : index), current);
  return PF_Err_NONE;
}

PF_Err ParamStore::Checkout(PF_ParamIndex index, double seconds, PF_ParamDef* out) {
  if (!out) return PF_Err_BAD_CALLBACK_PARAM;
  if (index < 0 || static_cast<std::size_t>(index) >= current_.size()) return PF_Err_INVALID_INDEX;
  *out = current_[static_cast<std::size_t>(index)];
  if (out->param_type == PF_Param_COLOR && color_keys_.count(index)) {
    const AEGP_ColorVal color = ColorAt(index, seconds);
    out->u.cd.value = {To8Bit(color.alphaF), To8Bit(color.redF), To8Bit(color.greenF),
                       To8Bit(color.blueF)};
  }
  checked_out_.insert(out);
  return PF_Err_NONE;
}

PF_Err ParamStore::Checkin(const PF_ParamDef* def) {
  auto found = checked_out_.find(def);
  if (found == checked_out_.end()) {
    ++bad_checkins_;
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  checked_out_.erase(found);
  return PF_Err_NONE;
}

}  // namespace hostsim
