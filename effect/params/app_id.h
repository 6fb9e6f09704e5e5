#pragma once
// Which application is hosting the effect. The other host that can load this module,
// identified by 'PrMr', lays out its own controls: there the effect writes no about text
// and leaves the tint controls alone.

#include "hostapi/host_api.h"

namespace velmora {

inline constexpr A_long kApplIdPrMr = 0x50724D72;  // 'PrMr'

inline bool IsPrMrHost(const PF_InData* in_data) {
  return in_data->appl_id == kApplIdPrMr;
}

}  // namespace velmora
