// Every exit of the render gives back all it holds. Three sweeps per setting: the user
// interrupts at the 1st, 2nd, ... poll until a render completes; the host refuses the 1st,
// 2nd, ... suite; the host fails its 1st, 2nd, ... operation of any kind. Each run must return
// the code it was handed (516 for a refused suite) and leave no world, handle, suite, checkout
// or pre-render data behind.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/effect/render/glow_test_support.h"

namespace {

using velmora_test::Controls;
using velmora_test::GlowRenderTest;

constexpr PF_Err kInjected = PF_Err_INTERNAL_STRUCT_DAMAGED;

// (depth, repeat edges, tint mode; 0 is the tint off)
using Setting = std::tuple<hostsim::Depth, bool, A_long>;

class RenderFailureSweep : public GlowRenderTest, public ::testing::WithParamInterface<Setting> {
 protected:
  void SetUp() override {
    GlowRenderTest::SetUp();
    const auto [depth, repeat, tint_mode] = GetParam();
    // Every pass runs: edges, ten levels, the tint, scaling, gamma and unmultiply.
    Set(Controls{.radius = 6,
                 .intensity = 1.5,
                 .tint_enable = tint_mode != 0,
                 .tint_mode = tint_mode != 0 ? tint_mode : 1,
                 .unmultiply = true,
                 .gamma = true,
                 .repeat_edges = repeat});
    input_ = Gradient(depth, 7, 5);
    baseline_ = host.leaks();
    baseline_worlds_ = host.worlds().live();
  }

  // One frame; returns its code, with everything it held given back.
  PF_Err RenderOnce() {
    hostsim::World* output = nullptr;
    const PF_Err err = Render(*input_, {}, &output);
    if (output) Dispose(output);
    const hostsim::Leaks now = host.leaks();
    EXPECT_EQ(host.worlds().live(), baseline_worlds_) << "worlds left";
    EXPECT_EQ(now.handles, baseline_.handles) << "handles left";
    EXPECT_EQ(now.suites, baseline_.suites) << "suites not released";
    EXPECT_EQ(now.params, baseline_.params) << "parameters checked out";
    EXPECT_EQ(now.layers, baseline_.layers) << "layers checked out";
    EXPECT_EQ(now.aegp_refs, baseline_.aegp_refs) << "AEGP references left";
    EXPECT_EQ(now.pre_render_data, baseline_.pre_render_data) << "pre-render data left";
    EXPECT_EQ(now.bad_releases, baseline_.bad_releases) << "releases of what was not lent";
    return err;
  }

  // Refuses the 1st, 2nd, ... suite a render asks for, until a render asks for fewer; each
  // refused render must end with the missing-suite error. Returns how many suites one render
  // acquires.
  std::size_t RefuseEachSuiteInTurn() {
    for (std::size_t refusal = 1; refusal < 100; ++refusal) {
      SCOPED_TRACE(::testing::Message() << "suite acquisition " << refusal << " refused");
      host.faults().Reset();
      host.faults().FailOperation("AcquireSuite", refusal, kInjected);
      const PF_Err err = RenderOnce();
      if (err == PF_Err_NONE) return refusal - 1;
      EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
      if (HasFailure()) return 0;
    }
    ADD_FAILURE() << "the render never stops asking for suites";
    return 0;
  }

  hostsim::World* input_ = nullptr;
  hostsim::Leaks baseline_;
  std::size_t baseline_worlds_ = 0;
};

TEST_P(RenderFailureSweep, InterruptionAtEveryPollReleasesEverything) {
  std::size_t poll = 1;
  for (;; ++poll) {
    SCOPED_TRACE(::testing::Message() << "interrupted at poll " << poll);
    host.faults().Reset();
    host.faults().AbortAtPoll(poll, PF_Interrupt_CANCEL);
    const PF_Err err = RenderOnce();
    if (host.faults().polls() < poll) {
      EXPECT_EQ(err, PF_Err_NONE);  // the render finished before that poll
      break;
    }
    ASSERT_EQ(err, PF_Interrupt_CANCEL);
    ASSERT_FALSE(HasFailure());  // the first fault says it all; the rest would repeat it
    ASSERT_LT(poll, 5000u) << "the render never completes";
  }
  // Checkpoints sit between the steps of every stage: ten levels alone poll fifty times.
  EXPECT_GT(poll, 60u);
}

TEST_P(RenderFailureSweep, RefusalOfEverySuiteReleasesEverything) {
  EXPECT_GT(RefuseEachSuiteInTurn(), 3u);
}

TEST_P(RenderFailureSweep, FailureOfEveryHostOperationReleasesEverything) {
  const std::size_t suite_acquires = RefuseEachSuiteInTurn();
  host.faults().Reset();
  ASSERT_EQ(RenderOnce(), PF_Err_NONE);
  const std::size_t calls = host.faults().calls();

  // A suite the host will not lend is the effect's missing-suite error (516), and so is the
  // render's own release of "PF World Suite". A suite the suite holder fails to give back as
  // it goes, after everything else, cannot change the frame's result: only the last calls of
  // a render may fail unreported.
  std::size_t missing_suites = 0;
  for (std::size_t nth = 1; nth <= calls; ++nth) {
    SCOPED_TRACE(::testing::Message() << "host operation " << nth << " of " << calls << " fails");
    host.faults().Reset();
    host.faults().FailCall(nth, kInjected);
    const PF_Err err = RenderOnce();
    if (err == PF_Err_BAD_CALLBACK_PARAM) {
      ++missing_suites;
    } else if (err != PF_Err_NONE) {
      EXPECT_EQ(err, kInjected);
    } else {
      EXPECT_GT(nth, calls - suite_acquires) << "a failure went unreported";
    }
    if (HasFailure()) break;  // the first fault says it all; the rest would repeat it
  }
  EXPECT_GE(missing_suites, suite_acquires);
}

std::string SettingName(const ::testing::TestParamInfo<Setting>& info) {
  const auto [depth, repeat, tint_mode] = info.param;
  const char* depths[] = {"", "Depth8", "Depth16", "Float"};
  const char* tints[] = {"TintOff", "Standard", "Soft", "LightBlend"};
  return std::string(depths[static_cast<int>(depth)]) + (repeat ? "RepeatEdges" : "PlainEdges") +
         tints[tint_mode];
}

INSTANTIATE_TEST_SUITE_P(Settings, RenderFailureSweep,
                         ::testing::Combine(::testing::Values(hostsim::Depth::k8,
                                                              hostsim::Depth::k16,
                                                              hostsim::Depth::k32),
                                            ::testing::Bool(), ::testing::Values(0, 1, 2, 3)),
                         SettingName);

}  // namespace
