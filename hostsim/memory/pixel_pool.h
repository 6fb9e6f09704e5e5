#pragma once
// Pixel memory for worlds, kept in a process-wide pool as a real host keeps a cache: a
// disposed world's memory serves the next world of about its size (in the next call or the
// next frame) instead of the page faults of a fresh allocation. Large blocks are advised for
// huge pages, which spares the blur's column passes most TLB misses.

#include <cstddef>
#include <memory>

namespace hostsim {

// Blocks are aligned to this: a cache line, enough for any SIMD width in use.
inline constexpr std::size_t kPixelAlignment = 64;

// Uninitialised pixel memory, kPixelAlignment-aligned, from the pool; returned to it when
// released. *zeroed (when given) says whether the block is known to hold zeros (fresh mapped
// memory).
struct PixelMemoryRelease {
  std::size_t capacity = 0;
  void operator()(std::byte* block) const;
};
using PixelMemory = std::unique_ptr<std::byte[], PixelMemoryRelease>;
// Throws std::bad_alloc when the memory cannot be had. Zero bytes are a null block.
PixelMemory AcquirePixelMemory(std::size_t bytes, bool* zeroed = nullptr);

// Zeroes pixel memory on all cores: a reused block costs one write pass.
void ClearPixelMemory(std::byte* bytes, std::size_t size);

// Pooled bytes not in use, blocks of a pooled size taken from the system so far, the most
// pixel memory handed out at once since the last reset and how many blocks (worlds and the
// services' scratch) held it (for tests and benchmarks); and dropping the pooled blocks.
std::size_t PooledPixelBytes();
std::size_t FreshPixelBlocks();
std::size_t PeakPixelBytesInUse();
std::size_t PixelBlocksAtPeak();
void ResetPeakPixelBytesInUse();
void ReleasePooledPixelMemory();

}  // namespace hostsim
