// A module's property list as untrusted bytes: parsed, or refused with PropertyListError.

#include "hostsim/property_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    hostsim::ParsePropertyList({data, size});
  } catch (const hostsim::PropertyListError&) {
  }
  return 0;
}
