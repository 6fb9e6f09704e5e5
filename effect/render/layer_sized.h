#pragma once
// LayerSized, the one byte the pre-render hands to the render through the host: 1 when the
// layer's maximum extent has exactly the layer's size, 0 when the output was grown to cover
// the layer's frame.
//
// The host owns pre_render_data once the pre-render returns and may drop it without ever
// rendering; it releases it only through the delete function, which receives nothing but
// the pointer. So the byte lives on the effect's own heap (a host handle would need a suite
// to dispose of it), and the render reads it without locking.

#include "hostapi/host_api.h"

namespace velmora {

// A new byte holding `value`, or null when there is no memory.
A_u_char* NewLayerSized(A_u_char value);

// The PF_DeletePreRenderDataFunc for a byte from NewLayerSized; null is allowed.
void DeleteLayerSized(void* layer_sized);

}  // namespace velmora
