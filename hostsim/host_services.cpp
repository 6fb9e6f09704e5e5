#include "hostsim/host_services.h"

#include <cstdlib>

namespace hostsim {

namespace {
std::atomic<HostServices*> current_services{nullptr};
}

HostServices* CurrentServices() {
  return current_services;
}
void SetCurrentServices(HostServices* services) {
  current_services = services;
}

HostServices::HostServices() = default;

// Blocks the effect never freed were counted as leaks already; the host takes them back.
HostServices::~HostServices() {
  for (const void* block : blocks) std::free(const_cast<void*>(block));
}

}  // namespace hostsim
