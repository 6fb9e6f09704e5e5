// The memory check's estimate against what a render really holds: the host's pixel pool counts
// every block it hands out, and its peak over one frame is the render's pixel memory.

#include "cli/image/frame_memory.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "effect/params/glow_extent.h"
#include "effect/params/params.h"
#include "engine/comp_options.h"
#include "engine/effect_session.h"
#include "hostsim/host.h"

namespace cli {
namespace {

using hostsim::Depth;

TEST(RenderMemory, CoversThePeakOfARenderAtEveryDepthWithAndWithoutRepeatedEdges) {
  hostsim::Host host(VELMORA_MODULE_PATH);
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  ASSERT_EQ(host.SequenceSetup(), PF_Err_NONE);
  constexpr int kWidth = 320, kHeight = 180;
  struct Case {
    Depth depth;
    long radius;
    bool repeat_edges;
  } cases[] = {{Depth::k8, 100, false},  {Depth::k8, 100, true},  {Depth::k8, 500, true},
               {Depth::k16, 100, false}, {Depth::k16, 100, true}, {Depth::k32, 100, false},
               {Depth::k32, 100, true},  {Depth::k32, 30, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << hostsim::BitsPerChannel(c.depth) << "-bit, radius "
                                      << c.radius << (c.repeat_edges ? ", repeat edges" : ""));
    host.params()[velmora::PARAM_RADIUS].u.sd.value = c.radius;
    host.params()[velmora::PARAM_REPEAT_EDGES].u.bd.value = c.repeat_edges ? 1 : 0;
    // A pool holding blocks of other sizes could hand out a larger one than asked for.
    hostsim::ReleasePooledPixelMemory();
    hostsim::ResetPeakPixelBytesInUse();
    hostsim::World* input = host.worlds().Create(c.depth, kWidth, kHeight);
    hostsim::World* output = nullptr;
    ASSERT_EQ(host.RenderFrame(*input, hostsim::FrameSettings{}, &output), PF_Err_NONE);
    host.worlds().Dispose(output);
    host.FinishFrame();
    host.worlds().Dispose(input);
    const double peak = static_cast<double>(hostsim::PeakPixelBytesInUse());
    const double estimate = static_cast<double>(
        RenderMemory(kWidth, kHeight, c.depth,
                     static_cast<int>(velmora::EdgePad(c.repeat_edges, c.radius)), false));
    std::printf("%2d-bit radius %3ld repeat %d: peak %6.2f MB, estimate %6.2f MB (%+.1f %%)\n",
                hostsim::BitsPerChannel(c.depth), c.radius, c.repeat_edges ? 1 : 0, peak / 1e6,
                estimate / 1e6, (estimate / peak - 1.0) * 100.0);
    EXPECT_GE(estimate, peak);
    EXPECT_LE(estimate, peak * 1.05);
  }
  host.SequenceSetdown();
  host.GlobalSetdown();
}

// A highlights threshold renders a keyed copy of the frame instead of the frame: one frame more.
TEST(RenderMemory, CoversTheKeyedCopyOfAHighlightsThreshold) {
  velmora::engine::EffectSession session(VELMORA_MODULE_PATH);
  constexpr int kWidth = 320, kHeight = 180;
  velmora::engine::CompOptions highlights;
  highlights.threshold = 0.5;
  for (const Depth depth : {Depth::k8, Depth::k32}) {
    SCOPED_TRACE(hostsim::BitsPerChannel(depth));
    velmora::engine::GlowControls controls = session.declared().Defaults();
    session.SetControls(controls);
    hostsim::ReleasePooledPixelMemory();
    hostsim::ResetPeakPixelBytesInUse();
    {
      const velmora::engine::OwnedWorld input(
          session.host().worlds(), session.host().worlds().Create(depth, kWidth, kHeight));
      const velmora::engine::OwnedWorld output =
          velmora::engine::RenderComposited(session, *input, controls, highlights, 0, "frame", 1);
    }
    const double peak = static_cast<double>(hostsim::PeakPixelBytesInUse());
    const double estimate =
        static_cast<double>(RenderMemory(kWidth, kHeight, depth, controls.EdgePad(), false, true));
    EXPECT_GE(estimate, peak);
    EXPECT_LE(estimate, peak * 1.05);
  }
}

// The pad the tools plan with is the one the effect's render really adds: its widest working
// world is the layer's width plus the pad.
TEST(RenderMemory, ThePlannedPadIsThePadTheEffectAdds) {
  velmora::engine::EffectSession session(VELMORA_MODULE_PATH);
  hostsim::Host& host = session.host();
  constexpr int kWidth = 40, kHeight = 30;
  for (const long radius : {1L, 63L, 64L, 65L, 500L}) {
    for (const bool repeat_edges : {false, true}) {
      velmora::engine::GlowControls controls = session.declared().Defaults();
      controls.radius = radius;
      controls.repeat_edges = repeat_edges;
      session.SetControls(controls);
      host.ClearJournal();
      hostsim::World* input = host.worlds().Create(Depth::k8, kWidth, kHeight);
      hostsim::World* output = nullptr;
      ASSERT_EQ(host.RenderFrame(*input, hostsim::FrameSettings{}, &output), PF_Err_NONE);
      A_long widest = 0;
      for (const hostsim::HostCall& call : host.journal()) {
        if (call.op == "AEGP_New") widest = std::max(widest, call.width);
      }
      EXPECT_EQ(widest, kWidth + controls.EdgePad())
          << "radius " << radius << (repeat_edges ? ", repeat edges" : "");
      host.worlds().Dispose(output);
      host.FinishFrame();
      host.worlds().Dispose(input);
    }
  }
}

}  // namespace
}  // namespace cli
