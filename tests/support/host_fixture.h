#pragma once
// HostTest: a fresh simulated host with the effect module loaded, for tests that drive the
// effect through the host. TearDown fails the test when anything is left behind: a world, a
// handle, a suite, a parameter or layer checkout, an AEGP reference, pre-render data, or a
// release of something the host never lent.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "hostsim/faults.h"
#include "hostsim/handle_store.h"
#include "hostsim/host.h"
#include "hostsim/param_store.h"
#include "hostsim/suite_registry.h"

// A straight colour on the 0..1 scale (alpha, red, green, blue); converted to each depth.
using ColorAt = std::function<PF_PixelFloat(A_long x, A_long y)>;

namespace velmora_test {
using hostsim::DepthOf;
}  // namespace velmora_test

class HostTest : public ::testing::Test {
 protected:
  hostsim::Host host{VELMORA_MODULE_PATH};

  // GlobalSetup, ParamsSetup and SequenceSetup, each asserted to succeed; TearDown then sends
  // SequenceSetdown and GlobalSetdown.
  void Boot();

  // A world of this host filled pixel by pixel; disposed by TearDown.
  hostsim::World* MakeWorld(hostsim::Depth depth, A_long width, A_long height,
                            const ColorAt& color);
  template <class Pixel, class Fill>
  hostsim::World* MakeWorldOf(A_long width, A_long height, Fill fill);

  // RenderFrame; the output world (on success) is disposed by TearDown.
  PF_Err Render(const hostsim::World& input, const hostsim::FrameSettings& settings,
                hostsim::World** output);

  // Disposes a world the fixture made now rather than at TearDown.
  void Dispose(hostsim::World* world);

  void TearDown() override;

 private:
  hostsim::World* Keep(hostsim::World* world);
  bool booted_ = false;
  std::vector<hostsim::World*> own_worlds_;
};

// Exact pixels: fill(x, y) returns the Pixel to store.
template <class Pixel, class Fill>
hostsim::World* HostTest::MakeWorldOf(A_long width, A_long height, Fill fill) {
  hostsim::World* world = Keep(host.worlds().Create(velmora_test::DepthOf<Pixel>(), width, height));
  for (A_long y = 0; y < height; ++y)
    for (A_long x = 0; x < width; ++x) *world->pixel<Pixel>(x, y) = fill(x, y);
  return world;
}
