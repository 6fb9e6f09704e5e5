#include "hostsim/world_store.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace hostsim {
namespace {

// Every live world of every store, so that WorldStore::Of can refuse a description whose
// reserved0 is stale or foreign instead of following it.
std::mutex& LiveMutex() {
  static std::mutex mutex;
  return mutex;
}
std::unordered_set<const World*>& LiveWorlds() {
  static std::unordered_set<const World*> worlds;
  return worlds;
}

std::size_t AlignUp(std::size_t n, std::size_t alignment) {
  return (n + alignment - 1) / alignment * alignment;
}

// Rows are aligned and one alignment unit longer than needed, so code that assumes
// rowbytes == width * pixel size reads the wrong pixels at once in every test.
std::size_t RowBytes(std::size_t pixel_size, A_long width) {
  return AlignUp(static_cast<std::size_t>(std::max<A_long>(width, 0)) * pixel_size,
                 kPixelAlignment) +
         kPixelAlignment;
}

}  // namespace

std::size_t WorldBytes(Depth depth, A_long width, A_long height) {
  return RowBytes(PixelSize(depth), width) * static_cast<std::size_t>(std::max<A_long>(height, 0)) +
         kPixelAlignment;
}

World* WorldStore::Create(Depth depth, A_long width, A_long height) {
  const std::size_t pixel_size = PixelSize(depth);
  if (pixel_size == 0 || width < 0 || height < 0 || width > kMaxWorldSide ||
      height > kMaxWorldSide) {
    return nullptr;
  }
  const std::size_t rowbytes = RowBytes(pixel_size, width);
  const std::size_t bytes = WorldBytes(depth, width, height);

  auto world = std::make_unique<World>();
  world->depth = depth;
  bool zeroed = false;
  world->storage = AcquirePixelMemory(bytes, &zeroed);
  if (!zeroed) ClearPixelMemory(world->storage.get(), bytes);
  const auto base = reinterpret_cast<std::uintptr_t>(world->storage.get());
  const std::uintptr_t aligned = AlignUp(base, kPixelAlignment);

  PF_EffectWorld& ew = world->effect_world;
  std::memset(&ew, 0, sizeof ew);
  ew.reserved0 = world.get();
  ew.world_flags = PF_WorldFlag_WRITEABLE;
  if (depth == Depth::k16) ew.world_flags |= PF_WorldFlag_DEEP;
  ew.data = reinterpret_cast<PF_PixelPtr>(aligned);
  ew.rowbytes = static_cast<A_long>(rowbytes);
  ew.width = width;
  ew.height = height;
  ew.extent_hint = PF_LRect{0, 0, width, height};
  ew.pix_aspect_ratio = PF_RationalScale{1, 1};

  World* raw = world.get();
  {
    std::lock_guard<std::mutex> live_lock(LiveMutex());
    LiveWorlds().insert(raw);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  worlds_.insert(raw);
  return world.release();
}

PF_Err WorldStore::Dispose(World* world) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (world == nullptr || worlds_.erase(world) == 0) return PF_Err_BAD_CALLBACK_PARAM;
  }
  {
    std::lock_guard<std::mutex> live_lock(LiveMutex());
    LiveWorlds().erase(world);
  }
  delete world;
  return PF_Err_NONE;
}

std::size_t WorldStore::live() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return worlds_.size();
}

WorldStore::~WorldStore() {
  // Worlds an effect leaked die with the host that lent them.
  std::lock_guard<std::mutex> live_lock(LiveMutex());
  for (World* world : worlds_) {
    LiveWorlds().erase(world);
    delete world;
  }
}

World* WorldStore::Of(const PF_EffectWorld* effect_world) {
  if (effect_world == nullptr) return nullptr;
  auto* candidate = static_cast<World*>(effect_world->reserved0);
  std::lock_guard<std::mutex> live_lock(LiveMutex());
  return LiveWorlds().count(candidate) != 0 ? candidate : nullptr;
}

}  // namespace hostsim
