#include "engine/threads.h"

#include <cstdlib>
#include <string>

#include "engine/error.h"
#include "hostsim/parallel.h"

namespace velmora::engine {

void SetThreads(std::optional<int> count) {
  if (count) {
    hostsim::SetWorkerThreads(*count);
    return;
  }
  const char* text = std::getenv("VELMORA_THREADS");
  const std::optional<int> given = text && *text ? hostsim::ParseThreadCount(text) : 0;
  hostsim::SetWorkerThreads(given.value_or(0));
  // A value that is not a count is refused rather than quietly taken as "all cores".
  if (!given) {
    throw Error("VELMORA_THREADS",
                Quoted(text) + " is not a thread count from 0 to " +
                    std::to_string(hostsim::kMaxWorkerThreads),
                kExitUsage);
  }
}

}  // namespace velmora::engine
