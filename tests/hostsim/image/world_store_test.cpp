#include "hostsim/world_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

using hostsim::Depth;
using hostsim::World;
using hostsim::WorldStore;

TEST(WorldStore, WorldsAreAlignedPaddedZeroedAndDescribed) {
  WorldStore store;
  for (Depth depth : {Depth::k8, Depth::k16, Depth::k32}) {
    for (A_long width : {0, 1, 5, 16, 100}) {
      SCOPED_TRACE(testing::Message() << "depth " << static_cast<int>(depth) << " width " << width);
      World* world = store.Create(depth, width, 3);
      ASSERT_NE(world, nullptr);
      const PF_EffectWorld& ew = world->effect_world;
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(ew.data) % 64, 0u);
      EXPECT_EQ(ew.rowbytes % 64, 0);
      EXPECT_GT(static_cast<std::size_t>(ew.rowbytes), width * hostsim::PixelSize(depth));
      const auto* bytes = reinterpret_cast<const unsigned char*>(ew.data);
      for (A_long i = 0; i < ew.rowbytes * 3; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
      const PF_WorldFlags deep = depth == Depth::k16 ? PF_WorldFlags{PF_WorldFlag_DEEP} : 0;
      EXPECT_EQ(ew.world_flags, PF_WorldFlag_WRITEABLE | deep);
      EXPECT_EQ(ew.width, width);
      EXPECT_EQ(ew.height, 3);
      EXPECT_EQ(ew.extent_hint.left, 0);
      EXPECT_EQ(ew.extent_hint.top, 0);
      EXPECT_EQ(ew.extent_hint.right, width);
      EXPECT_EQ(ew.extent_hint.bottom, 3);
      EXPECT_EQ(ew.pix_aspect_ratio.num, 1);
      EXPECT_EQ(ew.pix_aspect_ratio.den, 1u);
    }
  }
  EXPECT_EQ(store.live(), 15u);
}

TEST(WorldStore, RefusesSizesTheHostRefuses) {
  WorldStore store;
  const std::pair<A_long, A_long> refused[] = {{-1, 1}, {1, -1}, {30001, 1}, {1, 30001}};
  for (auto [width, height] : refused) {
    EXPECT_EQ(store.Create(Depth::k8, width, height), nullptr) << width << " x " << height;
  }
  EXPECT_NE(store.Create(Depth::k8, 30000, 1), nullptr);
  EXPECT_EQ(store.Create(static_cast<Depth>(7), 1, 1), nullptr);
  EXPECT_EQ(store.live(), 1u);
}

TEST(WorldStore, OfFollowsCopiesOfLiveWorldsOnly) {
  WorldStore store, other;
  World* world = store.Create(Depth::k16, 4, 4);
  World* foreign = other.Create(Depth::k16, 4, 4);
  const PF_EffectWorld copy = world->effect_world;
  EXPECT_EQ(WorldStore::Of(&copy), world);
  EXPECT_EQ(WorldStore::Of(nullptr), nullptr);

  int not_a_world = 0;
  PF_EffectWorld forged = copy;
  forged.reserved0 = &not_a_world;
  EXPECT_EQ(WorldStore::Of(&forged), nullptr);

  EXPECT_EQ(store.Dispose(foreign), PF_Err_BAD_CALLBACK_PARAM);  // not this store's
  EXPECT_EQ(other.live(), 1u);
  EXPECT_EQ(store.Dispose(world), PF_Err_NONE);
  EXPECT_EQ(WorldStore::Of(&copy), nullptr);
  EXPECT_EQ(store.Dispose(world), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(store.Dispose(nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(store.live(), 0u);
}

TEST(WorldStore, PixelSizesAndFormatCodes) {
  EXPECT_EQ(hostsim::PixelSize(Depth::k8), 4u);
  EXPECT_EQ(hostsim::PixelSize(Depth::k16), 8u);
  EXPECT_EQ(hostsim::PixelSize(Depth::k32), 16u);
  EXPECT_EQ(hostsim::PixelFormatOf(Depth::k8), 0x62677261);
  EXPECT_EQ(hostsim::PixelFormatOf(Depth::k16), 0x36316561);
  EXPECT_EQ(hostsim::PixelFormatOf(Depth::k32), 0x32336561);
}

}  // namespace

namespace {

// A disposed world's memory serves the next world of its size, handed out cleared again.
TEST(WorldStore, DisposedMemoryIsReusedAndHandedOutCleared) {
  WorldStore store;
  World* first = store.Create(Depth::k32, 300, 200);  // large enough to be pooled
  const std::size_t bytes = static_cast<std::size_t>(first->effect_world.rowbytes) * 200;
  std::memset(first->row(0), 0xAB, bytes);
  ASSERT_EQ(store.Dispose(first), PF_Err_NONE);
  const bool pooled = hostsim::PooledPixelBytes() >= bytes;  // nothing is kept under ASan
  const std::size_t fresh = hostsim::FreshPixelBlocks();

  for (Depth depth : {Depth::k32, Depth::k16}) {  // the same size, and a smaller one
    World* next = store.Create(depth, 300, depth == Depth::k32 ? 200 : 300);
    const auto* data = reinterpret_cast<const unsigned char*>(next->row(0));
    const std::size_t next_bytes = static_cast<std::size_t>(next->effect_world.rowbytes) *
                                   static_cast<std::size_t>(next->height());
    for (std::size_t i = 0; i < next_bytes; ++i) ASSERT_EQ(data[i], 0) << "byte " << i;
    std::memset(next->row(0), 0xCD, next_bytes);
    ASSERT_EQ(store.Dispose(next), PF_Err_NONE);
  }
  if (pooled) {
    EXPECT_EQ(hostsim::FreshPixelBlocks(), fresh);
  }
  EXPECT_EQ(store.live(), 0u);
}

}  // namespace
