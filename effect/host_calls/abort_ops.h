#pragma once
// The host's interruption check, the interaction callback every checkpoint polls.

#include "hostapi/host_api.h"

namespace velmora {

PF_Err AbortCheck(const PF_InData* in_data);  // nonzero: stop with this code

}  // namespace velmora
