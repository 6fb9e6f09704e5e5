#pragma once
// What the page shows beside a rendered frame so clipping is seen: each channel's lowest and
// highest value on the 0..1 scale of its depth, and the share of pixels a colour channel of
// which reaches white (where an integer file clips).

#include <array>
#include <string>

#include "hostsim/world_store.h"

namespace cli::preview {

struct FrameStats {
  std::array<double, 4> min{};  // R, G, B, A
  std::array<double, 4> max{};
  double clipped = 0;  // 0..1
};

FrameStats MeasureFrame(const hostsim::World& world);

// {"min":[r,g,b,a],"max":[...],"clipped":0.01}
std::string StatsJson(const FrameStats& stats);

}  // namespace cli::preview
