#include "hostsim/memory/pixel_pool.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "hostsim/parallel.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif
#if defined(_WIN32)
#include <malloc.h>
#endif
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_ASAN 1
#endif
#endif

namespace hostsim {
namespace {

std::size_t AlignUp(std::size_t n, std::size_t alignment) {
  return (n + alignment - 1) / alignment * alignment;
}

// Blocks of this size or more are aligned to (and advised for) huge pages.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Large blocks come straight from the system on Linux: mapped memory is zero, so a fresh
// world needs no clearing pass, and it is aligned to huge pages and advised for them (fewer
// page faults, fewer TLB misses in the blur's column passes).
// Under AddressSanitizer every block comes from the instrumented allocator (and none is
// pooled), so reads past a world's end and uses of a disposed world are still caught.
#if defined(__SANITIZE_ADDRESS__) || defined(VELMORA_ASAN)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

bool MappedBlock(std::size_t capacity) {
#if defined(__linux__)
  return !kSanitized && capacity >= kHugePage;
#else
  static_cast<void>(capacity);
  return false;
#endif
}

std::byte* AllocateBlock(std::size_t capacity) {
#if defined(__linux__)
  if (MappedBlock(capacity)) {
    const std::size_t span = capacity + kHugePage;
    void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = AlignUp(start, kHugePage);
    if (aligned > start) munmap(mapped, aligned - start);
    const std::size_t tail = start + span - (aligned + capacity);
    if (tail > 0) munmap(reinterpret_cast<void*>(aligned + capacity), tail);
#if defined(MADV_HUGEPAGE)
    madvise(reinterpret_cast<void*>(aligned), capacity, MADV_HUGEPAGE);  // advice only
#endif
    return reinterpret_cast<std::byte*>(aligned);
  }
#endif
#if defined(_WIN32)
  void* block = _aligned_malloc(capacity, kPixelAlignment);
#else
  void* block = nullptr;
  if (posix_memalign(&block, kPixelAlignment, capacity) != 0) block = nullptr;
#endif
  if (block == nullptr) throw std::bad_alloc();
  return static_cast<std::byte*>(block);
}

void FreeBlock(std::byte* block, std::size_t capacity) {
  if (MappedBlock(capacity)) {
#if defined(__linux__)
    munmap(block, capacity);
#endif
    return;
  }
#if defined(_WIN32)
  _aligned_free(block);
#else
  std::free(block);
#endif
}

// Disposed blocks wait here for a world of about their size. Under AddressSanitizer nothing
// is kept, so a use of a disposed world's pixels is still caught.
class PixelPool {
 public:
  PixelMemory Acquire(std::size_t bytes, bool* zeroed) {
    if (zeroed != nullptr) *zeroed = false;
    if (bytes == 0) return PixelMemory(nullptr, PixelMemoryRelease{0});
    const std::size_t capacity = AlignUp(std::max<std::size_t>(bytes, 1), kPixelAlignment);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      // The smallest free block that fits and wastes at most a quarter of itself.
      auto best = free_.end();
      for (auto it = free_.begin(); it != free_.end(); ++it) {
        if (it->capacity >= capacity && it->capacity - capacity <= it->capacity / 4 &&
            (best == free_.end() || it->capacity < best->capacity)) {
          best = it;
        }
      }
      if (best != free_.end()) {
        PixelMemory memory(best->block, PixelMemoryRelease{best->capacity});
        pooled_bytes_ -= best->capacity;
        CountInUse(best->capacity);
        free_.erase(best);
        return memory;
      }
      // A frame asks for the same sizes again; blocks that fit none of this frame's worlds
      // are dropped before a new one is allocated, so the pool never adds to the peak.
      DropLocked([&](const Block& block) { return block.capacity < capacity; });
      CountInUse(capacity);
    }
    if (capacity >= kSmallestPooled) fresh_blocks_.fetch_add(1, std::memory_order_relaxed);
    PixelMemory memory(AllocateBlock(capacity), PixelMemoryRelease{capacity});
    if (zeroed != nullptr) *zeroed = MappedBlock(capacity);
    return memory;
  }

  void Release(std::byte* block, std::size_t capacity) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      in_use_ -= capacity;
      --blocks_in_use_;
    }
    if (kKeepNothing || capacity < kSmallestPooled) return FreeBlock(block, capacity);
    std::lock_guard<std::mutex> lock(mutex_);
    free_.push_back({block, capacity});
    pooled_bytes_ += capacity;
    while (free_.size() > kMostBlocks) {
      pooled_bytes_ -= free_.front().capacity;
      FreeBlock(free_.front().block, free_.front().capacity);
      free_.erase(free_.begin());
    }
  }

  std::size_t pooled_bytes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return pooled_bytes_;
  }

  std::size_t fresh_blocks() const { return fresh_blocks_.load(); }

  std::size_t peak_in_use() {
    std::lock_guard<std::mutex> lock(mutex_);
    return peak_in_use_;
  }

  std::size_t blocks_at_peak() {
    std::lock_guard<std::mutex> lock(mutex_);
    return blocks_at_peak_;
  }

  void ResetPeak() {
    std::lock_guard<std::mutex> lock(mutex_);
    peak_in_use_ = in_use_;
    blocks_at_peak_ = blocks_in_use_;
  }

  void Drop() {
    std::lock_guard<std::mutex> lock(mutex_);
    DropLocked([](const Block&) { return true; });
  }

 private:
  struct Block {
    std::byte* block;
    std::size_t capacity;
  };
  static constexpr bool kKeepNothing = kSanitized;
  static constexpr std::size_t kSmallestPooled = 64 << 10;  // small worlds cost no page faults
  static constexpr std::size_t kMostBlocks = 16;

  template <class Predicate>
  void DropLocked(Predicate drop) {
    for (auto it = free_.begin(); it != free_.end();) {
      if (!drop(*it)) {
        ++it;
        continue;
      }
      pooled_bytes_ -= it->capacity;
      FreeBlock(it->block, it->capacity);
      it = free_.erase(it);
    }
  }

  void CountInUse(std::size_t capacity) {
    in_use_ += capacity;
    ++blocks_in_use_;
    if (in_use_ > peak_in_use_) {
      peak_in_use_ = in_use_;
      blocks_at_peak_ = blocks_in_use_;
    }
  }

  std::mutex mutex_;
  std::vector<Block> free_;
  std::size_t pooled_bytes_ = 0;
  std::size_t in_use_ = 0, peak_in_use_ = 0;
  std::size_t blocks_in_use_ = 0, blocks_at_peak_ = 0;
  std::atomic<std::size_t> fresh_blocks_{0};
};

// Never destroyed: worlds may be disposed by static destructors after the pool's would run.
PixelPool& Pool() {
  static PixelPool* pool = new PixelPool;
  return *pool;
}

}  // namespace

void ClearPixelMemory(std::byte* bytes, std::size_t size) {
  constexpr std::size_t kChunk = std::size_t{1} << 20;
  const auto chunks = static_cast<std::int64_t>((size + kChunk - 1) / kChunk);
  ParallelFor(chunks, [&](std::int64_t c, int) {
    const std::size_t begin = static_cast<std::size_t>(c) * kChunk;
    std::memset(bytes + begin, 0, std::min(kChunk, size - begin));
  });
}

void PixelMemoryRelease::operator()(std::byte* block) const {
  Pool().Release(block, capacity);
}

PixelMemory AcquirePixelMemory(std::size_t bytes, bool* zeroed) {
  return Pool().Acquire(bytes, zeroed);
}

std::size_t PooledPixelBytes() {
  return Pool().pooled_bytes();
}

std::size_t FreshPixelBlocks() {
  return Pool().fresh_blocks();
}

std::size_t PeakPixelBytesInUse() {
  return Pool().peak_in_use();
}

std::size_t PixelBlocksAtPeak() {
  return Pool().blocks_at_peak();
}

void ResetPeakPixelBytesInUse() {
  Pool().ResetPeak();
}

void ReleasePooledPixelMemory() {
  Pool().Drop();
}

}  // namespace hostsim
