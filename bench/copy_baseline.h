#pragma once
// The machine's own yardstick for the benchmarks: how long a plain copy of some bytes takes on
// all cores, measured in the same run as what is compared with it.

#include <cstddef>

namespace velmora_bench {

// Seconds for one copy of `bytes` between two buffers (the best of several runs, spread over
// the host's worker threads as the services are). Measured once per size and process.
double CopySeconds(std::size_t bytes);

// Bytes moved per second by such a copy, reads and writes counted: 2 * bytes / CopySeconds,
// measured on buffers far larger than the caches.
double CopyBandwidth();

}  // namespace velmora_bench
