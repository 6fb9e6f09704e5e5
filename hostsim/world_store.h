#pragma once
// Worlds the simulated host owns: the effect's AEGP worlds and the host's own input and
// output frames. Rows are aligned for SIMD and padded on purpose, so nothing may assume
// rowbytes == width * pixel size. Their pixels come from the pool of memory/pixel_pool.h.

#include <cstddef>
#include <mutex>
#include <unordered_set>

#include "hostapi/host_api.h"
#include "hostsim/depth.h"
#include "hostsim/memory/pixel_pool.h"

namespace hostsim {

// The host's limit on a world's side, in pixels.
inline constexpr A_long kMaxWorldSide = 30000;

// The pixel memory a world of this size takes from the pool, its row padding included.
std::size_t WorldBytes(Depth depth, A_long width, A_long height);

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
