#include "frei0r/glow_instance.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "frei0r/frame_render.h"

namespace frei0r_glow {

GlowInstance::GlowInstance(unsigned width, unsigned height)
    : width_(static_cast<int>(width)), height_(static_cast<int>(height)) {
  if (width == 0 || height == 0 || width > hostsim::kMaxWorldSide ||
      height > hostsim::kMaxWorldSide) {
    throw std::runtime_error("a " + std::to_string(width) + " x " + std::to_string(height) +
                             " frame is outside the host's 1 to " +
                             std::to_string(hostsim::kMaxWorldSide) + " pixels on a side");
  }
  const std::lock_guard lock(EffectLock());
  // Held first, so reading the declarations does not load the effect a second time.
  effect_ = AcquireEffect();
  for (int i = 0; i < kControlCount; ++i) {
    const Control& control = Controls()[static_cast<std::size_t>(i)];
    values_[static_cast<std::size_t>(i)] = DefaultValue(control, effect_->declared());
  }
  for (int i = 0; i < kCompCount; ++i) {
    comp_values_[static_cast<std::size_t>(i)] = kCompParams[i].fallback;
  }
}

GlowInstance::~GlowInstance() {
  const std::lock_guard lock(EffectLock());
  effect_.reset();
}

void GlowInstance::SetParam(int index, const void* param) {
  if (index >= kControlCount && index < kParamCount && param) {
    double number;
    std::memcpy(&number, param, sizeof number);
    const std::lock_guard lock(EffectLock());
    double& value = comp_values_[static_cast<std::size_t>(index - kControlCount)];
    value = Limited(number, value);
    return;
  }
  if (index < 0 || index >= kControlCount || !param) return;
  const Control& control = Controls()[static_cast<std::size_t>(index)];
  const std::lock_guard lock(EffectLock());
  ControlValue& value = values_[static_cast<std::size_t>(index)];
  if (control.kind == ControlKind::kColor) {
    f0r_param_color_t color;
    std::memcpy(&color, param, sizeof color);
    auto channel = [](float set, float previous) {
      return static_cast<float>(Limited(set, previous));
    };
    value.color = {channel(color.r, value.color.r), channel(color.g, value.color.g),
                   channel(color.b, value.color.b)};
  } else {
    double number;
    std::memcpy(&number, param, sizeof number);
    value.number = Limited(number, value.number);
  }
}

void GlowInstance::GetParam(int index, void* param) const {
  if (index >= kControlCount && index < kParamCount && param) {
    const std::lock_guard lock(EffectLock());
    std::memcpy(param, &comp_values_[static_cast<std::size_t>(index - kControlCount)],
                sizeof(double));
    return;
  }
  if (index < 0 || index >= kControlCount || !param) return;
  const Control& control = Controls()[static_cast<std::size_t>(index)];
  const std::lock_guard lock(EffectLock());
  const ControlValue& value = values_[static_cast<std::size_t>(index)];
  if (control.kind == ControlKind::kColor) {
    std::memcpy(param, &value.color, sizeof value.color);
  } else {
    std::memcpy(param, &value.number, sizeof value.number);
  }
}

void GlowInstance::Update(double seconds, const std::uint32_t* in, std::uint32_t* out) {
  if (!in || !out) return;
  ++frames_;
  std::string failure;
  try {
    const std::lock_guard lock(EffectLock());
    GlowControls controls = effect_->declared().Defaults();
    for (int i = 0; i < kControlCount; ++i) {
      SetControl(Controls()[static_cast<std::size_t>(i)], effect_->declared(),
                 values_[static_cast<std::size_t>(i)], controls);
    }
    effect_->SetControls(controls);
    velmora::engine::CompOptions comp;
    comp.threshold = comp_values_[0];
    comp.softness = comp_values_[1];
    comp.mix = comp_values_[2];
    comp.glow_pass = comp_values_[3] >= 0.5;
    RenderRgba8(*effect_, controls, comp, in, out, width_, height_, seconds);
  } catch (const std::bad_alloc&) {
    failure = "out of memory";
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (failure.empty()) return;
  if (in != out) std::memcpy(out, in, static_cast<std::size_t>(width_) * height_ * 4);
  if (!failure_told_) {
    failure_told_ = true;
    // Ten years of video is more than any tool's timeline.
    const bool a_time = std::isfinite(seconds) && seconds >= 0.0 && seconds < 3.2e8;
    char frame[64];
    if (a_time) {
      std::snprintf(frame, sizeof frame, "frame at time %g", seconds);
    } else {
      std::snprintf(frame, sizeof frame, "frame %llu (no timestamp)",
                    static_cast<unsigned long long>(frames_));
    }
    std::fprintf(stderr,
                 "velmora: frei0r: %s: %s; frames the effect fails on pass through unchanged\n",
                 frame, failure.c_str());
  }
}

}  // namespace frei0r_glow
