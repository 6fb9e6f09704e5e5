#include "effect/render/checkpoint.h"

#include "effect/host_calls/abort_ops.h"

namespace velmora {

bool Carry(RenderState& state, PF_Err outcome) {
  if (state.err == PF_Err_NONE) state.err = outcome;
  return state.err == PF_Err_NONE;
}

bool Checkpoint(RenderState& state, PF_Err outcome) {
  return Carry(state, outcome) && Carry(state, AbortCheck(state.in_data));
}

}  // namespace velmora
