#include "hostsim/host_operation.h"

#include <mutex>
#include <utility>

#include "hostsim/host_services.h"

namespace hostsim {

PF_Err BeginHostOperation(const char* op) {
  HostServices* host = CurrentServices();
  return host ? host->faults.CountOperation(op) : PF_Err_NONE;
}

void RecordHostCall(HostCall call) {
  if (HostServices* host = CurrentServices()) {
    std::lock_guard lock(host->journal_mutex);
    host->journal.push_back(std::move(call));
  }
}

PF_Err PollAbort() {
  HostServices* host = CurrentServices();
  return host ? host->interrupted.load() : PF_Err_NONE;
}

void ReportProgress(A_long current, A_long total) {
  if (HostServices* host = CurrentServices()) {
    host->progress_current = current;
    host->progress_total = total;
  }
}

}  // namespace hostsim
