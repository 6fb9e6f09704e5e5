#pragma once
// Memory the host lends the effect as handles: a handle points at the pointer to its bytes,
// so the bytes may move on resize while the handle stays. Every live handle is counted.

#include <cstddef>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "hostapi/host_api.h"

namespace hostsim {

class Faults;

class HandleStore {
 public:
  explicit HandleStore(Faults& faults) : faults_(faults) {}
  ~HandleStore();
  HandleStore(const HandleStore&) = delete;
  HandleStore& operator=(const HandleStore&) = delete;

  PF_Handle New(std::size_t size);  // null when refused (fault) or out of memory
  void* Lock(PF_Handle handle);     // null for a handle this store does not own, or a fault
  void Unlock(PF_Handle handle);
  bool Dispose(PF_Handle handle);  // false for a handle this store does not own
  std::size_t Size(PF_Handle handle) const;
  PF_Err Resize(std::size_t size, PF_Handle* handle);
  bool Owns(const void* handle) const;

  std::size_t live() const;
  std::size_t bad_releases() const;  // disposals of handles this store never lent (or no longer)

 private:
  struct Block {
    void* bytes = nullptr;  // first member: the handle is the address of this pointer
    std::unique_ptr<std::byte[]> storage;
    std::size_t size = 0;
    int locks = 0;
  };
  Block* Find(PF_Handle handle) const;

  Faults& faults_;
  mutable std::mutex mutex_;
  std::unordered_map<const void*, std::unique_ptr<Block>> blocks_;
  std::size_t bad_releases_ = 0;
};

}  // namespace hostsim
