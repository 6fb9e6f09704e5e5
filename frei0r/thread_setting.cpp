#include "frei0r/thread_setting.h"

#include <cstdio>
#include <cstdlib>

#include "hostsim/parallel.h"

namespace frei0r_glow {

void ApplyThreadSetting() {
  const char* text = std::getenv("VELMORA_THREADS");
  if (!text) {
    hostsim::SetWorkerThreads(0);
    return;
  }
  const auto count = hostsim::ParseThreadCount(text);
  if (!count) {
    std::fprintf(stderr,
                 "velmora: VELMORA_THREADS: '%.40s' is not a thread count from 0 to %d; using one "
                 "thread per core\n",
                 text, hostsim::kMaxWorkerThreads);
  }
  hostsim::SetWorkerThreads(count.value_or(0));
}

}  // namespace frei0r_glow
