// The host's worker pool, which every parallel image service runs on.

#include "hostsim/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

using hostsim::ParallelFor;
using hostsim::ThreadCount;

// Every index exactly once, with a thread number no two running tasks share; a task's own
// ParallelFor and two callers at once (two hosts in two threads) still run every index once.
TEST(ParallelFor, RunsEveryIndexOnceFromAnyCaller) {
  constexpr std::int64_t kCount = 2000;
  auto run = [](std::int64_t count, bool nested) {
    auto seen = std::make_unique<std::atomic<int>[]>(count);
    std::vector<std::atomic<int>> busy(static_cast<std::size_t>(ThreadCount()));
    std::atomic<bool> shared{false};
    ParallelFor(count, [&](std::int64_t i, int thread) {
      if (busy[static_cast<std::size_t>(thread)].fetch_add(1) != 0) shared = true;
      seen[i]++;
      if (nested) {
        std::atomic<int> inner{0};
        ParallelFor(5, [&](std::int64_t, int) { inner++; });
        seen[i] += inner - 5;  // stays 1 only if the inner loop ran all five
      }
      busy[static_cast<std::size_t>(thread)]--;
    });
    for (std::int64_t i = 0; i < count; ++i) EXPECT_EQ(seen[i].load(), 1) << i;
    EXPECT_FALSE(shared);
  };
  run(kCount, false);
  run(kCount, true);
  run(0, false);
  run(1, false);
  std::thread other([&] { run(kCount, false); });
  run(kCount, false);
  other.join();
}

}  // namespace
