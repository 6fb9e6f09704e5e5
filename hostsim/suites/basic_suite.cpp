// "SP Basic Suite": the door to every other suite, with the host's count of acquires and
// releases per name and version.
#include <cstdlib>
#include <cstring>
#include <string>

#include "hostsim/serve.h"
#include "hostsim/suites/suites.h"

namespace hostsim {

namespace {

SPErr AcquireSuite(const char* name, int32_t version, const void** suite) {
  if (suite) *suite = nullptr;
  if (!name || !suite) return kSPBadParameterError;
  return Serve("AcquireSuite", [&](HostServices& host) -> SPErr {
    const void* table = host.suites.Find(name, version);
    if (!table || host.faults.Refuses(name)) return kSPSuiteNotFoundError;
    host.suites.CountAcquire(name, version);
    *suite = table;
    return kSPNoError;
  });
}

SPErr ReleaseSuite(const char* name, int32_t version) {
  if (!name) return kSPBadParameterError;
  return ServeRelease("ReleaseSuite", [&](HostServices& host) -> SPErr {
    return host.suites.CountRelease(name, version) ? kSPNoError : kSPBadParameterError;
  });
}

SPBoolean IsEqual(const char* token1, const char* token2) {
  return token1 && token2 && std::strcmp(token1, token2) == 0;
}

SPErr AllocateBlock(size_t size, void** block) {
  if (!block) return kSPBadParameterError;
  *block = nullptr;
  return Serve("AllocateBlock", [&](HostServices& host) -> SPErr {
    void* memory = std::malloc(size ? size : 1);
    if (!memory) return kSPOutOfMemoryError;
    host.blocks.insert(memory);
    *block = memory;
    return kSPNoError;
  });
}

SPErr FreeBlock(void* block) {
  return ServeRelease("FreeBlock", [&](HostServices& host) -> SPErr {
    if (host.blocks.erase(block) == 0) return kSPBadParameterError;
    std::free(block);
    return kSPNoError;
  });
}

SPErr ReallocateBlock(void* block, size_t size, void** new_block) {
  if (!new_block) return kSPBadParameterError;
  return Serve("ReallocateBlock", [&](HostServices& host) -> SPErr {
    if (block && !host.blocks.count(block)) return kSPBadParameterError;
    void* memory = std::realloc(block, size ? size : 1);
    if (!memory) return kSPOutOfMemoryError;
    host.blocks.erase(block);
    host.blocks.insert(memory);
    *new_block = memory;
    return kSPNoError;
  });
}

SPErr Undefined() {
  return kSPUnimplementedError;
}

}  // namespace

SPBasicSuite* BasicSuite() {
  static SPBasicSuite suite = [] {
    SPBasicSuite table{};
    table.AcquireSuite = AcquireSuite;
    table.ReleaseSuite = ReleaseSuite;
    table.IsEqual = IsEqual;
    table.AllocateBlock = AllocateBlock;
    table.FreeBlock = FreeBlock;
    table.ReallocateBlock = ReallocateBlock;
    table.Undefined = Undefined;
    return table;
  }();
  return &suite;
}

}  // namespace hostsim
