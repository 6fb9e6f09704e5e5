#pragma once
// Rectangle helpers of the pre-render: half-open PF_LRect, signed edges.

#include "hostapi/host_api.h"

namespace velmora {

// True when the rectangle covers no pixel: left >= right or top >= bottom.
bool RectIsEmpty(const PF_LRect& rect);

// Grows destination to cover source as well. An empty destination takes source as it is;
// an empty source changes nothing.
void RectUnionInto(const PF_LRect& source, PF_LRect* destination);

}  // namespace velmora
