#pragma once
// Two small helpers the glow stages (edges, levels, tint) share.

#include <cstdint>

#include "effect/render/render_state.h"

namespace velmora {

// The glow stages keep every rectangle edge in a signed 16-bit value, sign-extended again.
// Kept on purpose (docs/render.md): no edge inside the host's world limits changes.
inline PF_Rect Rect16(A_long left, A_long top, A_long right, A_long bottom) {
  const auto narrow = [](A_long v) { return static_cast<A_long>(static_cast<std::int16_t>(v)); };
  return PF_Rect{narrow(left), narrow(top), narrow(right), narrow(bottom)};
}

// A step of the render (effect/render/checkpoint.h): makes `world` at the input's depth; an unknown
// pixel format is PF_Err_BAD_CALLBACK_PARAM.
bool NewWorkingWorld(RenderState& state, A_long width, A_long height, HostWorld* world);

}  // namespace velmora
