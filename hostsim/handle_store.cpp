#include "hostsim/handle_store.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "hostsim/faults.h"

namespace hostsim {

namespace {

// Fresh handle memory is not cleared, as in the real host; a recognisable pattern makes a
// read of bytes the effect never wrote show up in tests.
constexpr unsigned char kUnwrittenByte = 0xA5;

std::unique_ptr<std::byte[]> Allocate(std::size_t size) {
  auto storage =
      std::unique_ptr<std::byte[]>(new (std::nothrow) std::byte[std::max<std::size_t>(size, 1)]);
  if (storage) std::memset(storage.get(), kUnwrittenByte, size);
  return storage;
}

}  // namespace

HandleStore::~HandleStore() = default;

PF_Handle HandleStore::New(std::size_t size) {
  if (faults_.CountHandleAlloc()) return nullptr;
  auto block = std::make_unique<Block>();
  block->storage = Allocate(size);
  if (!block->storage) return nullptr;
  block->bytes = block->storage.get();
  block->size = size;
  PF_Handle handle = &block->bytes;
  std::lock_guard lock(mutex_);
  blocks_.emplace(handle, std::move(block));
  return handle;
}

HandleStore::Block* HandleStore::Find(PF_Handle handle) const {
  auto found = blocks_.find(handle);
  return found == blocks_.end() ? nullptr : found->second.get();
}

void* HandleStore::Lock(PF_Handle handle) {
  if (faults_.CountHandleLock()) return nullptr;
  std::lock_guard lock(mutex_);
  Block* block = Find(handle);
  if (!block) return nullptr;
  ++block->locks;
  return block->bytes;
}

void HandleStore::Unlock(PF_Handle handle) {
  std::lock_guard lock(mutex_);
  if (Block* block = Find(handle); block && block->locks > 0) --block->locks;
}

bool HandleStore::Dispose(PF_Handle handle) {
  std::lock_guard lock(mutex_);
  if (blocks_.erase(handle) == 0) {
    ++bad_releases_;
    return false;
  }
  return true;
}

std::size_t HandleStore::Size(PF_Handle handle) const {
  std::lock_guard lock(mutex_);
  const Block* block = Find(handle);
  return block ? block->size : 0;
}

PF_Err HandleStore::Resize(std::size_t size, PF_Handle* handle) {
  if (!handle) return PF_Err_BAD_CALLBACK_PARAM;
  std::lock_guard lock(mutex_);
  Block* block = Find(*handle);
  if (!block) return PF_Err_BAD_CALLBACK_PARAM;
  auto storage = Allocate(size);
  if (!storage) return PF_Err_OUT_OF_MEMORY;
  std::memcpy(storage.get(), block->storage.get(), std::min(size, block->size));
  block->storage = std::move(storage);
  block->bytes = block->storage.get();
  block->size = size;
  return PF_Err_NONE;
}

bool HandleStore::Owns(const void* handle) const {
  std::lock_guard lock(mutex_);
  return blocks_.count(handle) != 0;
}

std::size_t HandleStore::live() const {
  std::lock_guard lock(mutex_);
  return blocks_.size();
}

std::size_t HandleStore::bad_releases() const {
  std::lock_guard lock(mutex_);
  return bad_releases_;
}

}  // namespace hostsim
