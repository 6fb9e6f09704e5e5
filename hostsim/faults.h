#pragma once
// Faults a test arms on the simulated host: a host operation that fails, an interruption the
// user requests at a given poll, a suite the host refuses, a handle it cannot allocate or lock.
// Counting starts when a fault is armed ("the nth call from now"), and every count is 1-based.
//
// Releases (ReleaseSuite, checkin_param, checkin_layer_pixels, the AEGP disposals) are counted
// like any other operation and report an injected error, but they still release: an effect
// cannot do anything about a failed release, so a fault there must not look like its leak.

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "hostapi/host_api.h"

namespace hostsim {

class Faults {
 public:
  // The nth host operation (any kind) returns err.
  void FailCall(std::size_t nth, PF_Err err);
  // The nth call of the operation named op (the names BeginHostOperation receives) returns err.
  void FailOperation(std::string op, std::size_t nth, PF_Err err);
  // The nth call of the effect's abort callback answers err: the user has interrupted, so
  // every later poll of the same command answers err too, and the host's own services stop.
  void AbortAtPoll(std::size_t nth, PF_Err err = PF_Interrupt_CANCEL);
  // AcquireSuite answers kSPSuiteNotFoundError for this name, whatever the version.
  void RefuseSuite(std::string name);
  // The nth NewHandle (handle suite, utility callback) from now gives no handle.
  void FailHandleAlloc(std::size_t nth);
  // The nth LockHandle from now gives no memory.
  void FailHandleLock(std::size_t nth);

  // Disarms everything and restarts the counts.
  void Reset();
  std::size_t calls() const;  // host operations since construction or Reset
  std::size_t polls() const;  // calls of the effect's abort callback since construction or Reset

  // The host's side: each counts one event and answers what was armed for it.
  PF_Err CountOperation(const char* op);
  PF_Err CountPoll();
  bool Refuses(const char* suite_name) const;
  bool CountHandleAlloc();  // true when this allocation is to fail
  bool CountHandleLock();   // true when this lock is to fail

 private:
  struct Armed {
    std::string op;  // empty: any operation
    std::size_t at = 0;
    PF_Err err = PF_Err_NONE;
  };

  mutable std::mutex mutex_;
  std::size_t calls_ = 0, polls_ = 0, allocs_ = 0, locks_ = 0;
  std::map<std::string, std::size_t, std::less<>> op_counts_;
  std::vector<Armed> armed_ops_;
  std::vector<Armed> armed_polls_;
  std::vector<std::size_t> failing_allocs_, failing_locks_;
  std::vector<std::string> refused_;
};

}  // namespace hostsim
