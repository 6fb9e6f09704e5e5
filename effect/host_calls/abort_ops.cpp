#include "effect/host_calls/abort_ops.h"

namespace velmora {

PF_Err AbortCheck(const PF_InData* in_data) {
  return in_data->inter.abort(in_data->effect_ref);
}

}  // namespace velmora
