#pragma once
// One frei0r instance: a frame size, its own control values, and a hold on the loaded effect,
// which with its worlds and worker pool stays alive from frame to frame.

#include <array>
#include <cstdint>
#include <memory>

#include "engine/comp_options.h"
#include "frei0r/loaded_effect.h"
#include "frei0r/value_mapping.h"

namespace frei0r_glow {

class GlowInstance {
 public:
  // Loads the effect if no instance holds it; throws std::runtime_error.
  GlowInstance(unsigned width, unsigned height);
  ~GlowInstance();

  // frei0r's parameter records: a double for numbers, choices and switches, an
  // f0r_param_color_t for the colour. Out-of-range values are held to 0..1.
  void SetParam(int index, const void* param);
  void GetParam(int index, void* param) const;

  // Renders in into out. A frame the effect fails on passes through unchanged, said once, by its
  // time, or by its number among this instance's frames when the tool gave no time (ffmpeg
  // hands on its "no timestamp" value, scaled, as a time).
  void Update(double seconds, const std::uint32_t* in, std::uint32_t* out);

 private:
  std::shared_ptr<velmora::engine::EffectSession> effect_;
  int width_, height_;
  std::array<ControlValue, kControlCount> values_{};
  std::array<double, kCompCount> comp_values_{};
  bool failure_told_ = false;
  std::uint64_t frames_ = 0;  // Update calls so far: a frame's number when its time is not one
};

}  // namespace frei0r_glow
