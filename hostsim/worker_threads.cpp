#include "hostsim/worker_threads.h"

#include <omp.h>

namespace hostsim {

void SetWorkerThreads(int count) {
  omp_set_num_threads(count > 0 ? count : omp_get_num_procs());
}

}  // namespace hostsim
