#include "frei0r/loaded_effect.h"

#include <cstdio>

#include "engine/effect_module.h"
#include "engine/error.h"
#include "engine/threads.h"

namespace frei0r_glow {
namespace {

// Kept for the life of the process and never destroyed: a host application may exit without
// f0r_deinit, and tearing the effect down from a static destructor would meet a worker pool
// already gone.
std::weak_ptr<velmora::engine::EffectSession>& Current() {
  static auto* current = new std::weak_ptr<velmora::engine::EffectSession>();
  return *current;
}

// frei0r gives a filter no thread count and no way to refuse one: a VELMORA_THREADS that is
// not a count is said, and every core used.
void SetThreadsOnce() {
  static const bool set = [] {
    try {
      velmora::engine::SetThreads(std::nullopt);
    } catch (const velmora::engine::Error& error) {
      std::fprintf(stderr, "velmora: %s; using one thread per core\n", error.what());
    }
    return true;
  }();
  static_cast<void>(set);
}

}  // namespace

std::mutex& EffectLock() {
  static auto* lock = new std::mutex();
  return *lock;
}

std::shared_ptr<velmora::engine::EffectSession> AcquireEffect() {
  if (auto effect = Current().lock()) return effect;
  SetThreadsOnce();
  auto effect = std::make_shared<velmora::engine::EffectSession>(
      velmora::engine::LocateEffectModule(std::nullopt));
  Current() = effect;
  return effect;
}

}  // namespace frei0r_glow
