#pragma once
// How many threads the host's image services run on.

namespace hostsim {

// Sets the number of worker threads of the image services; 0 means one per core. Without a
// call, the services follow the OMP_NUM_THREADS environment variable (all cores when unset).
void SetWorkerThreads(int count);

}  // namespace hostsim
