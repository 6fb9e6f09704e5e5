#pragma once
// What every host service does with the host's state: count the operation (fault injection),
// journal the call, note a refusal, poll the interruption and report progress.

#include <string>

#include "hostapi/host_api.h"
#include "hostsim/host_call.h"
#include "hostsim/host_services.h"

namespace hostsim {

// Called first by every host function the effect can reach that returns an error code.
// Counts the call; returns the error a test injected for it, or PF_Err_NONE.
PF_Err BeginHostOperation(HostServices& host, const char* op);

// Appends to the host's journal (thread-safe).
void RecordHostCall(HostServices& host, HostCall call);

// The host's own interruption state, polled by long services between rows or tiles.
// Nonzero is the error to stop with (for example PF_Interrupt_CANCEL).
PF_Err PollAbort(const HostServices& host);

// Progress of a long service, for the host's progress display.
void ReportProgress(HostServices& host, A_long current, A_long total);

// A host or effect error code in words: "out of memory", "bad callback argument", ...
std::string ErrorWords(A_long err);

// Notes why a host operation refused, in words (ErrorWords(err) when why is empty). The first
// refusal of a command is the one kept: later ones usually follow from it.
void RecordRefusal(HostServices& host, const char* op, A_long err, const std::string& why = {});

}  // namespace hostsim
