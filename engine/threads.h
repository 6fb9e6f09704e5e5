#pragma once
// How many worker threads the host's image services run on, set the same way by every
// front-end: the count asked for, else VELMORA_THREADS, else one per core.

#include <optional>

namespace velmora::engine {

// Sets the host's worker threads from count, or, without one, from VELMORA_THREADS (unset,
// empty or 0: one per core). A VELMORA_THREADS that is not a count throws Error (usage) after
// setting one per core, so a front-end that cannot refuse may say it and go on.
void SetThreads(std::optional<int> count);

}  // namespace velmora::engine
