#include "cli/preview/frame_stats.h"

#include <algorithm>
#include <limits>
#include <nlohmann/json.hpp>

namespace cli::preview {

FrameStats MeasureFrame(const hostsim::World& world) {
  FrameStats stats;
  stats.min.fill(std::numeric_limits<double>::infinity());
  stats.max.fill(-std::numeric_limits<double>::infinity());
  std::size_t clipped = 0;
  hostsim::VisitDepth(world.depth, [&](auto traits) {
    using Traits = decltype(traits);
    for (A_long y = 0; y < world.height(); ++y) {
      for (A_long x = 0; x < world.width(); ++x) {
        const auto& p = *world.pixel<typename Traits::Pixel>(x, y);
        const double values[4] = {p.red / Traits::kFullScale, p.green / Traits::kFullScale,
                                  p.blue / Traits::kFullScale, p.alpha / Traits::kFullScale};
        for (int c = 0; c < 4; ++c) {
          stats.min[c] = std::min(stats.min[c], values[c]);
          stats.max[c] = std::max(stats.max[c], values[c]);
        }
        if (std::max({values[0], values[1], values[2]}) >= 1.0) ++clipped;
      }
    }
  });
  const std::size_t pixels = static_cast<std::size_t>(world.width()) * world.height();
  if (pixels == 0) {
    stats.min.fill(0);
    stats.max.fill(0);
  }
  stats.clipped = pixels ? static_cast<double>(clipped) / pixels : 0.0;
  return stats;
}

std::string StatsJson(const FrameStats& stats) {
  nlohmann::json json;
  json["min"] = stats.min;
  json["max"] = stats.max;
  json["clipped"] = stats.clipped;
  return json.dump();
}

}  // namespace cli::preview
