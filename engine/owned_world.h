#pragma once
// A world of the host's store, disposed when this goes away.

#include <utility>

#include "hostsim/world_store.h"

namespace velmora::engine {

class OwnedWorld {
 public:
  OwnedWorld() = default;
  OwnedWorld(hostsim::WorldStore& store, hostsim::World* world) : store_(&store), world_(world) {}
  OwnedWorld(OwnedWorld&& other) noexcept { *this = std::move(other); }
  OwnedWorld& operator=(OwnedWorld&& other) noexcept {
    if (this != &other) {
      Reset();
      store_ = other.store_;
      world_ = std::exchange(other.world_, nullptr);
    }
    return *this;
  }
  ~OwnedWorld() { Reset(); }

  hostsim::World* get() const { return world_; }
  hostsim::World& operator*() const { return *world_; }
  hostsim::World* operator->() const { return world_; }
  explicit operator bool() const { return world_ != nullptr; }

 private:
  void Reset() {
    if (world_) store_->Dispose(std::exchange(world_, nullptr));
  }

  hostsim::WorldStore* store_ = nullptr;
  hostsim::World* world_ = nullptr;
};

}  // namespace velmora::engine
