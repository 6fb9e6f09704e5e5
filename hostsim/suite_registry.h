#pragma once
// The suites this host serves, by name and version, with the count of every acquire and
// release the effect makes through the basic suite.

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "hostapi/host_api.h"

namespace hostsim {

class SuiteRegistry {
 public:
  // Serves table under name and version from now on (a later Add replaces an earlier one).
  void Add(const char* name, A_long version, const void* table);
  const void* Find(const std::string& name, A_long version) const;

  // The basic suite's bookkeeping: an acquire of a served suite counts, a release counts
  // only when it matches an earlier acquire (otherwise it is a bad release).
  void CountAcquire(const std::string& name, A_long version);
  bool CountRelease(const std::string& name, A_long version);

  std::size_t acquires(const std::string& name, A_long version) const;
  std::size_t releases(const std::string& name, A_long version) const;
  std::size_t unreleased() const;  // acquires not matched by releases, over all suites
  std::size_t bad_releases() const;

 private:
  using Key = std::pair<std::string, A_long>;
  struct Counts {
    std::size_t acquires = 0, releases = 0;
  };
  mutable std::mutex mutex_;
  std::map<Key, const void*> tables_;
  std::map<Key, Counts> counts_;
  std::size_t bad_releases_ = 0;
};

}  // namespace hostsim
