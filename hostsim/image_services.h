#pragma once
// The image services a host serves (worlds, copies, transfers, fills, blur, iteration),
// registered with the host's suites when a Host starts.

#include "hostapi/host_api.h"

namespace hostsim {

class SuiteRegistry;

// Registers "AEGP World Suite" 3, "PF World Suite" 2, "PF World Transform Suite" 1,
// "PF Fill Matte Suite" 2 and the three iterate suites.
void RegisterImageSuites(SuiteRegistry& registry);

// The utility callback fill at 8 bits: color null clears, rect null is the whole world.
PF_Err FillWorld8(const PF_Pixel* color, const PF_Rect* rect, PF_EffectWorld* world);

}  // namespace hostsim
