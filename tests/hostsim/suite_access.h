#pragma once
// Suites acquired the way the effect acquires them: through the host's basic suite.

#include "hostsim/host.h"

template <class Suite>
const Suite* AcquireSuite(hostsim::Host& host, const char* name, A_long version) {
  const void* suite = nullptr;
  if (host.in_data().pica_basicP->AcquireSuite(name, version, &suite) != kSPNoError) return nullptr;
  return static_cast<const Suite*>(suite);
}

inline SPErr ReleaseSuite(hostsim::Host& host, const char* name, A_long version) {
  return host.in_data().pica_basicP->ReleaseSuite(name, version);
}
