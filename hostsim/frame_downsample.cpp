#include "hostsim/frame_downsample.h"

#include <cmath>
#include <type_traits>

namespace hostsim {

namespace {

template <class Pixel>
void AverageBlocks(const World& layer, A_long factor, World& scaled) {
  using Channel = decltype(Pixel{}.alpha);
  const double count = static_cast<double>(factor) * factor;
  for (A_long y = 0; y < scaled.height(); ++y) {
    for (A_long x = 0; x < scaled.width(); ++x) {
      double a = 0, r = 0, g = 0, b = 0;
      for (A_long dy = 0; dy < factor; ++dy) {
        for (A_long dx = 0; dx < factor; ++dx) {
          const Pixel& p = *layer.pixel<Pixel>(x * factor + dx, y * factor + dy);
          a += p.alpha, r += p.red, g += p.green, b += p.blue;
        }
      }
      // Integer channels round to nearest; float channels keep the exact mean.
      auto average = [&](double sum) {
        const double mean = sum / count;
        return static_cast<Channel>(std::is_floating_point_v<Channel> ? mean : std::round(mean));
      };
      *scaled.pixel<Pixel>(x, y) = Pixel{average(a), average(r), average(g), average(b)};
    }
  }
}

}  // namespace

World* Downsample(WorldStore& store, const World& layer, A_long factor) {
  World* scaled = store.Create(layer.depth, layer.width() / factor, layer.height() / factor);
  if (!scaled) return nullptr;
  switch (layer.depth) {
    case Depth::k8:
      AverageBlocks<PF_Pixel>(layer, factor, *scaled);
      break;
    case Depth::k16:
      AverageBlocks<PF_Pixel16>(layer, factor, *scaled);
      break;
    case Depth::k32:
      AverageBlocks<PF_PixelFloat>(layer, factor, *scaled);
      break;
  }
  return scaled;
}

}  // namespace hostsim
