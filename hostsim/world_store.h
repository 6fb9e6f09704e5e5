#pragma once
// Worlds the simulated host owns: the effect's AEGP worlds and the host's own input and
// output frames. Rows are aligned for SIMD and padded on purpose, so nothing may assume
// rowbytes == width * pixel size.
//
// Pixel memory is kept in a process-wide pool, as a real host keeps a cache: a disposed
// world's memory serves the next world of about its size (in the next call or the next
// frame), cleared, instead of the page faults of a fresh allocation. Large blocks are
// advised for huge pages, which spares the blur's column passes most TLB misses.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "hostapi/host_api.h"

namespace hostsim {

// The host's limit on a world's side, in pixels.
inline constexpr A_long kMaxWorldSide = 30000;

// Values equal the host's AEGP_WorldType codes.
enum class Depth : A_long { k8 = 1, k16 = 2, k32 = 3 };

// The depth whose worlds hold records of type Pixel: the one place the records map to depths.
template <class Pixel>
constexpr Depth DepthOf();
template <>
constexpr Depth DepthOf<PF_Pixel>() {
  return Depth::k8;
}
template <>
constexpr Depth DepthOf<PF_Pixel16>() {
  return Depth::k16;
}
template <>
constexpr Depth DepthOf<PF_PixelFloat>() {
  return Depth::k32;
}

std::size_t PixelSize(Depth depth);
// 8, 16 or 32: four channels a pixel.
inline int BitsPerChannel(Depth depth) {
  return static_cast<int>(PixelSize(depth) * 8 / 4);
}
PF_PixelFormat PixelFormatOf(Depth depth);
// The pixel memory a world of this size takes from the pool, its row padding included.
std::size_t WorldBytes(Depth depth, A_long width, A_long height);

// Uninitialised pixel memory, 64-byte aligned, from the pool; returned to it when released.
// *zeroed (when given) says whether the block is known to hold zeros (fresh mapped memory).
struct PixelMemoryRelease {
  std::size_t capacity = 0;
  void operator()(std::byte* block) const;
};
using PixelMemory = std::unique_ptr<std::byte[], PixelMemoryRelease>;
// Throws std::bad_alloc when the memory cannot be had.
PixelMemory AcquirePixelMemory(std::size_t bytes, bool* zeroed = nullptr);
// Pooled bytes not in use, blocks of a pooled size taken from the system so far, and the
// most pixel memory handed out at once since the last reset (for tests and benchmarks); and
// dropping the pooled blocks. Zero bytes are a null block.
std::size_t PooledPixelBytes();
std::size_t FreshPixelBlocks();
std::size_t PeakPixelBytesInUse();
void ResetPeakPixelBytesInUse();
void ReleasePooledPixelMemory();

// The least memory traffic the image services' calls imply: the bytes each call must at least
// read and write (a new world is written once, as it is cleared; a blur reads and writes its
// world; a transfer reads both worlds and writes one), summed over all calls since the last
// reset. Benchmarks divide it by the machine's copy bandwidth to get the floor of a frame.
void AddFloorBytes(std::uint64_t bytes);
std::uint64_t FloorBytes();
void ResetFloorBytes();

struct World {
  Depth depth = Depth::k8;
  PF_EffectWorld effect_world{};  // reserved0 points back at this World
  PixelMemory storage;

  A_long width() const { return effect_world.width; }
  A_long height() const { return effect_world.height; }
  std::byte* row(A_long y) const {
    return static_cast<std::byte*>(static_cast<void*>(effect_world.data)) +
           static_cast<std::ptrdiff_t>(y) * effect_world.rowbytes;
  }
  template <class Pixel>
  Pixel* pixel(A_long x, A_long y) const {
    return reinterpret_cast<Pixel*>(row(y)) + x;
  }
};

class WorldStore {
 public:
  WorldStore() = default;
  ~WorldStore();  // frees the worlds still alive (leaks are counted before, by live())
  WorldStore(const WorldStore&) = delete;
  WorldStore& operator=(const WorldStore&) = delete;

  // A zero-filled world; 0 x 0 is allowed. Returns null when the size is refused
  // (negative, or over the host's 30000-pixel limit on a side).
  World* Create(Depth depth, A_long width, A_long height);
  // PF_Err_BAD_CALLBACK_PARAM for a world this store does not own (or owns no longer).
  PF_Err Dispose(World* world);
  std::size_t live() const;

  // The World behind an effect-world description handed out by this host (copies too), or null.
  static World* Of(const PF_EffectWorld* effect_world);

 private:
  mutable std::mutex mutex_;
  std::unordered_set<World*> worlds_;
};

}  // namespace hostsim
