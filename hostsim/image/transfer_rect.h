#pragma once
// transfer_rect: composites a rectangle of one world onto another with a transfer mode (the
// formulas are in blend_modes.h). The source rectangle (null: the whole source world) lands
// with its top-left corner at (dest_x, dest_y); whatever falls outside either world is
// skipped. Source and destination may be the same world.

#include "hostapi/host_api.h"
#include "hostsim/world_store.h"

namespace hostsim::image {

// Whether transfer_rect offers this mode: ADD, BEHIND, SCREEN, MULTIPLY and SOFT_LIGHT.
bool TransferModeOffered(PF_TransferMode mode);

// PF_Err_BAD_CALLBACK_PARAM for a mode not offered, premultiplied mode flags (worlds here
// hold straight colour) or worlds of different depths.
PF_Err TransferRect(const World& source, const World& destination, const PF_Rect* source_rect,
                    const PF_CompositeMode& mode, PF_ModeFlags flags, A_long dest_x, A_long dest_y);

}  // namespace hostsim::image
