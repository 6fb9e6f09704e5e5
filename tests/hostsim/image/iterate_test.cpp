// The iterate suites, acquired through the host as the effect acquires them.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>

#include "tests/hostsim/suite_access.h"
#include "tests/support/host_fixture.h"

namespace {

using hostsim::Depth;
using hostsim::World;

template <class Pixel>
struct IterateSuiteOf;
template <>
struct IterateSuiteOf<PF_Pixel> {
  using Suite = PF_Iterate8Suite1;
  static constexpr const char* kName = kPFIterate8Suite;
};
template <>
struct IterateSuiteOf<PF_Pixel16> {
  using Suite = PF_Iterate16Suite1;
  static constexpr const char* kName = kPFIterate16Suite;
};
template <>
struct IterateSuiteOf<PF_PixelFloat> {
  using Suite = PF_IterateFloatSuite1;
  static constexpr const char* kName = kPFIterateFloatSuite;
};

// What the pixel function saw.
struct Visits {
  const World* input = nullptr;
  const World* output = nullptr;
  std::unique_ptr<std::atomic<int>[]> counts;
  std::atomic<bool> wrong_pixel{false};
  std::atomic<int> total{0};
  // Optional behaviour: fail at one pixel, or interrupt through the host at the first one.
  std::optional<std::pair<A_long, A_long>> fail_at;
  hostsim::Host* interrupting_host = nullptr;
  std::atomic<bool> interrupted{false};
};

template <class Pixel>
PF_Err Visit(void* refcon, A_long x, A_long y, Pixel* in, Pixel* out) {
  auto& visits = *static_cast<Visits*>(refcon);
  if (in != visits.input->pixel<Pixel>(x, y) || out != visits.output->pixel<Pixel>(x, y)) {
    visits.wrong_pixel = true;
  }
  visits.counts[y * visits.output->width() + x]++;
  visits.total++;
  if (visits.fail_at && *visits.fail_at == std::make_pair(x, y)) return PF_Err_OUT_OF_MEMORY;
  if (visits.interrupting_host && !visits.interrupted.exchange(true)) {
    PF_InData& in_data = visits.interrupting_host->in_data();
    in_data.inter.abort(in_data.effect_ref);  // the user presses cancel mid-pass
  }
  return PF_Err_NONE;
}

class IterateTest : public HostTest {
 protected:
  // Runs the depth's iterate suite over `output` (input: `input`, or none).
  template <class Pixel>
  PF_Err Iterate(World* input, World* output, const PF_Rect* area, Visits& visits,
                 A_long progress_final = 0) {
    using Of = IterateSuiteOf<Pixel>;
    const auto* suite = AcquireSuite<typename Of::Suite>(host, Of::kName, 1);
    EXPECT_NE(suite, nullptr);
    if (suite == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    visits.input = input != nullptr ? input : output;
    visits.output = output;
    const std::size_t size = static_cast<std::size_t>(output->width()) * output->height();
    visits.counts = std::make_unique<std::atomic<int>[]>(size);
    const PF_Err err = suite->iterate(&host.in_data(), 0, progress_final,
                                      input != nullptr ? &input->effect_world : nullptr, area,
                                      &visits, Visit<Pixel>, &output->effect_world);
    EXPECT_EQ(ReleaseSuite(host, Of::kName, 1), kSPNoError);
    return err;
  }

  template <class Pixel>
  void ExpectEveryPixelOnce() {
    World* input = MakeWorldOf<Pixel>(37, 23, [](A_long, A_long) { return Pixel{}; });
    World* output = MakeWorldOf<Pixel>(37, 23, [](A_long, A_long) { return Pixel{}; });
    const PF_Rect inner{3, 2, 30, 20}, reaching_out{-5, -5, 10, 40};
    for (const PF_Rect* area : {static_cast<const PF_Rect*>(nullptr), &inner, &reaching_out}) {
      for (World* source : {input, static_cast<World*>(nullptr)}) {
        Visits visits;
        ASSERT_EQ(Iterate<Pixel>(source, output, area, visits), PF_Err_NONE);
        const PF_Rect box = area ? *area : PF_Rect{0, 0, 37, 23};
        for (A_long y = 0; y < 23; ++y) {
          for (A_long x = 0; x < 37; ++x) {
            const bool inside = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
            ASSERT_EQ(visits.counts[y * 37 + x].load(), inside ? 1 : 0) << x << "," << y;
          }
        }
        EXPECT_FALSE(visits.wrong_pixel);
      }
    }
  }
};

TEST_F(IterateTest, VisitsEveryPixelOfTheAreaExactlyOnceAtEveryDepth) {
  ExpectEveryPixelOnce<PF_Pixel>();
  ExpectEveryPixelOnce<PF_Pixel16>();
  ExpectEveryPixelOnce<PF_PixelFloat>();
}

TEST_F(IterateTest, ThePixelFunctionsErrorStopsThePassAndIsReturned) {
  World* world = MakeWorldOf<PF_Pixel16>(300, 300, [](A_long, A_long) { return PF_Pixel16{}; });
  Visits visits;
  visits.fail_at = std::make_pair(7, 5);
  EXPECT_EQ(Iterate<PF_Pixel16>(world, world, nullptr, visits), PF_Err_OUT_OF_MEMORY);
  EXPECT_LT(visits.total.load(), 300 * 300 / 2);
}

TEST_F(IterateTest, AnInterruptionStopsThePassWithTheHostsCode) {
  World* world =
      MakeWorldOf<PF_PixelFloat>(300, 300, [](A_long, A_long) { return PF_PixelFloat{}; });
  host.faults().AbortAtPoll(1);
  Visits visits;
  visits.interrupting_host = &host;
  EXPECT_EQ(Iterate<PF_PixelFloat>(world, world, nullptr, visits), PF_Interrupt_CANCEL);
  EXPECT_LT(visits.total.load(), 300 * 300 / 2);
}

TEST_F(IterateTest, ProgressRunsToTheFinalValue) {
  World* world = MakeWorldOf<PF_Pixel>(40, 50, [](A_long, A_long) { return PF_Pixel{}; });
  Visits visits;
  ASSERT_EQ(Iterate<PF_Pixel>(world, world, nullptr, visits, 17), PF_Err_NONE);
  EXPECT_EQ(host.progress_current(), 17);
  EXPECT_EQ(host.progress_total(), 17);
}

TEST_F(IterateTest, AWorldOfAnotherDepthIsRefused) {
  World* deep = MakeWorldOf<PF_Pixel16>(4, 4, [](A_long, A_long) { return PF_Pixel16{}; });
  World* eight = MakeWorldOf<PF_Pixel>(4, 4, [](A_long, A_long) { return PF_Pixel{}; });
  Visits visits;
  EXPECT_EQ(Iterate<PF_Pixel>(deep, deep, nullptr, visits), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(Iterate<PF_Pixel>(deep, eight, nullptr, visits), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(visits.total.load(), 0);
}

}  // namespace
