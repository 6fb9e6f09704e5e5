#pragma once
// One frei0r frame through the effect at 8 bits: straight RGBA8888 in, the host's A, R, G, B
// world rendered, straight RGBA8888 out.

#include <cstdint>
#include <string>

#include "hostsim/host.h"

namespace frei0r_glow {

// Renders the width x height frame `in` into `out` (they may be the same buffer) at `seconds`.
// Returns why it failed, in words, leaving `out` unwritten; empty on success.
std::string RenderRgba8(hostsim::Host& host, const std::uint32_t* in, std::uint32_t* out, int width,
                        int height, double seconds);

}  // namespace frei0r_glow
