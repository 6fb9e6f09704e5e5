#include "hostsim/suite_registry.h"

namespace hostsim {

void SuiteRegistry::Add(const char* name, A_long version, const void* table) {
  std::lock_guard lock(mutex_);
  tables_[{name, version}] = table;
}

const void* SuiteRegistry::Find(const std::string& name, A_long version) const {
  std::lock_guard lock(mutex_);
  auto found = tables_.find({name, version});
  return found == tables_.end() ? nullptr : found->second;
}

void SuiteRegistry::CountAcquire(const std::string& name, A_long version) {
  std::lock_guard lock(mutex_);
  ++counts_[{name, version}].acquires;
}

bool SuiteRegistry::CountRelease(const std::string& name, A_long version) {
  std::lock_guard lock(mutex_);
  auto found = counts_.find({name, version});
  if (found == counts_.end() || found->second.releases >= found->second.acquires) {
    ++bad_releases_;
    return false;
  }
  ++found->second.releases;
  return true;
}

std::size_t SuiteRegistry::acquires(const std::string& name, A_long version) const {
  std::lock_guard lock(mutex_);
  auto found = counts_.find({name, version});
  return found == counts_.end() ? 0 : found->second.acquires;
}

std::size_t SuiteRegistry::releases(const std::string& name, A_long version) const {
  std::lock_guard lock(mutex_);
  auto found = counts_.find({name, version});
  return found == counts_.end() ? 0 : found->second.releases;
}

std::size_t SuiteRegistry::unreleased() const {
  std::lock_guard lock(mutex_);
  std::size_t total = 0;
  for (const auto& [key, counts] : counts_) total += counts.acquires - counts.releases;
  return total;
}

std::size_t SuiteRegistry::bad_releases() const {
  std::lock_guard lock(mutex_);
  return bad_releases_;
}

}  // namespace hostsim
