#pragma once
// The host's own preview scaling: the layer at 1/factor resolution, each pixel the average of
// the factor x factor block it covers (sizes truncate, as the effect's own arithmetic does).

#include "hostsim/world_store.h"

namespace hostsim {

// A new world of store, or null when the store refuses the size.
World* Downsample(WorldStore& store, const World& layer, A_long factor);

}  // namespace hostsim
