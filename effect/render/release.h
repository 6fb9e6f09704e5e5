#pragma once
// The one release path every exit of the render takes.

#include "effect/render/render_state.h"

namespace velmora {

// Disposes every working world that exists, ends the use of the pre-render data, releases
// "PF World Suite" when the setup holds it and checks the input layer in. Every step runs
// even when an earlier one failed. Returns the first error: state.err if it was set,
// otherwise the first failure of the release itself.
PF_Err ReleaseRender(RenderState& state);

}  // namespace velmora
