#pragma once
// The render's one step shape and its checkpoint between host operations.
//
// Every step of the render is a function of the RenderState that runs while no error is
// pending, leaves its outcome in the running error and returns whether the road goes on
// (state.err is 0). A host operation's error code is handed to Carry or Checkpoint, which make
// it the running error.

#include "effect/render/render_state.h"

namespace velmora {

// The outcome of a host operation becomes the running error (while none is pending). Returns
// whether the render may go on.
bool Carry(RenderState& state, PF_Err outcome);

// Carry, then poll the host for an interruption while no error is pending: a nonzero answer
// becomes the running error. Returns whether the render may go on.
bool Checkpoint(RenderState& state, PF_Err outcome = PF_Err_NONE);

}  // namespace velmora
