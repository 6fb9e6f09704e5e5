#pragma once
// The render's checkpoint between host operations.

#include "render/render_state.h"

namespace velmora {

// Polls the host for an interruption while no error is pending; a nonzero answer becomes the
// running error. Returns true while the render may go on (state.err is 0).
bool Checkpoint(RenderState& state);

}  // namespace velmora
