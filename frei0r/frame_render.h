#pragma once
// One frei0r frame through the effect at 8 bits: straight RGBA8888 in, the host's A, R, G, B
// world rendered, straight RGBA8888 out.

#include <cstdint>

#include "engine/comp_options.h"
#include "engine/effect_session.h"

namespace frei0r_glow {

// Renders the width x height frame `in` into `out` (they may be the same buffer) at `seconds`,
// with the controls the session holds (controls is their value) and the options around the
// effect. Throws velmora::engine::Error, leaving `out` unwritten.
void RenderRgba8(velmora::engine::EffectSession& session,
                 const velmora::engine::GlowControls& controls,
                 const velmora::engine::CompOptions& comp, const std::uint32_t* in,
                 std::uint32_t* out, int width, int height, double seconds);

}  // namespace frei0r_glow
