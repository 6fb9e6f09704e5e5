#include "hostsim/host_operation.h"

#include <mutex>
#include <utility>

namespace hostsim {

PF_Err BeginHostOperation(HostServices& host, const char* op) {
  return host.faults.CountOperation(op);
}

void RecordHostCall(HostServices& host, HostCall call) {
  std::lock_guard lock(host.journal_mutex);
  host.journal.push_back(std::move(call));
}

PF_Err PollAbort(const HostServices& host) {
  return host.interrupted.load();
}

void ReportProgress(HostServices& host, A_long current, A_long total) {
  host.progress_current = current;
  host.progress_total = total;
}

std::string ErrorWords(A_long err) {
  switch (err) {
    case A_Err_GENERIC:
      return "generic error";
    case A_Err_STRUCT:
      return "damaged structure";
    case A_Err_PARAMETER:
      return "bad argument";
    case PF_Err_OUT_OF_MEMORY:  // the same code as A_Err_ALLOC
      return "out of memory";
    case PF_Err_INTERNAL_STRUCT_DAMAGED:
      return "internal structure damaged";
    case PF_Err_INVALID_INDEX:
      return "invalid index";
    case PF_Err_UNRECOGNIZED_PARAM_TYPE:
      return "not offered by this host";
    case PF_Err_INVALID_CALLBACK:
      return "invalid callback";
    case PF_Err_BAD_CALLBACK_PARAM:
      return "bad callback argument";
    case PF_Interrupt_CANCEL:
      return "interrupted";
    case PF_Err_CANNOT_PARSE_KEYFRAME_TEXT:
      return "cannot parse keyframe text";
    default:
      return "error " + std::to_string(err);
  }
}

void RecordRefusal(HostServices& host, const char* op, A_long err, const std::string& why) {
  std::lock_guard lock(host.journal_mutex);
  if (host.refusal.empty())
    host.refusal = std::string(op) + ": " + (why.empty() ? ErrorWords(err) : why);
}

}  // namespace hostsim
