// Throughput of the simulated host's image services on a 1920 x 1080 float frame, against a
// memory-bandwidth baseline measured in the same run: a plain memcpy of the same bytes.
//
// Every service benchmark reports `of_memcpy`: the time one memcpy of the frame's bytes takes
// divided by the time of one call, i.e. the service's throughput as a fraction of what the
// machine's memory can copy. The blur is run at several radii; its time should be flat in
// the radius (compare the rows).
//
//   build/<dir>/bench/velmora_image_bench --benchmark_min_time=1

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "hostsim/image/copy_rect.h"
#include "hostsim/image/fast_blur.h"
#include "hostsim/image/transfer_rect.h"
#include "hostsim/world_store.h"

namespace {

using hostsim::Depth;
using hostsim::World;
using hostsim::WorldStore;

constexpr A_long kWidth = 1920, kHeight = 1080;

std::size_t FrameBytes(const World& world) {
  return static_cast<std::size_t>(world.effect_world.rowbytes) * world.height();
}

// A frame with some structure, so no kernel meets only zeros.
World* Frame(WorldStore& store) {
  World* world = store.Create(Depth::k32, kWidth, kHeight);
  for (A_long y = 0; y < kHeight; ++y) {
    auto* row = world->pixel<PF_PixelFloat>(0, y);
    for (A_long x = 0; x < kWidth; ++x) {
      const float v = static_cast<float>((x * 7 + y * 13) % 256) / 255.0f;
      row[x] = PF_PixelFloat{1.0f, v, 1.0f - v, 0.5f * v};
    }
  }
  return world;
}

// Seconds for one memcpy of `bytes` between two buffers outside the caches: the best of a
// few runs, measured once per process.
double MemcpySeconds(std::size_t bytes) {
  static const double seconds = [bytes] {
    std::vector<std::byte> from(bytes, std::byte{1}), to(bytes);
    double best = 1e9;
    for (int i = 0; i < 10; ++i) {
      const auto start = std::chrono::steady_clock::now();
      std::memcpy(to.data(), from.data(), bytes);
      benchmark::DoNotOptimize(to.data());
      benchmark::ClobberMemory();
      best = std::min(
          best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
  }();
  return seconds;
}

void ReportAgainstMemcpy(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes));
  state.counters["of_memcpy"] = benchmark::Counter(
      MemcpySeconds(bytes) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Memcpy(benchmark::State& state) {
  WorldStore store;
  const World* from = Frame(store);
  World* to = store.Create(Depth::k32, kWidth, kHeight);
  const std::size_t bytes = FrameBytes(*from);
  for (auto _ : state) {
    std::memcpy(to->row(0), from->row(0), bytes);
    benchmark::ClobberMemory();
  }
  ReportAgainstMemcpy(state, bytes);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FastBlur(benchmark::State& state) {
  WorldStore store;
  World* world = Frame(store);
  const double radius = static_cast<double>(state.range(0)) / 10.0;
  for (auto _ : state) {
    if (hostsim::image::FastBlur(*world, radius, PF_MF_Alpha_STRAIGHT) != PF_Err_NONE) {
      state.SkipWithError("blur failed");
    }
  }
  ReportAgainstMemcpy(state, FrameBytes(*world));
}
// Radius x 10: 0.4, 1, 10, 200, 1024.
BENCHMARK(BM_FastBlur)
    ->Arg(4)
    ->Arg(10)
    ->Arg(100)
    ->Arg(2000)
    ->Arg(10240)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_TransferScreen(benchmark::State& state) {
  WorldStore store;
  const World* source = Frame(store);
  World* destination = Frame(store);
  PF_CompositeMode mode{};
  mode.xfer = PF_Xfer_SCREEN;
  mode.opacity = 200;
  mode.opacitySu = 200;
  for (auto _ : state) {
    if (hostsim::image::TransferRect(*source, *destination, nullptr, mode, PF_MF_Alpha_STRAIGHT, 0,
                                     0) != PF_Err_NONE) {
      state.SkipWithError("transfer failed");
    }
  }
  ReportAgainstMemcpy(state, FrameBytes(*source));
}
BENCHMARK(BM_TransferScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Copy(benchmark::State& state) {
  WorldStore store;
  const World* source = Frame(store);
  World* destination = store.Create(Depth::k32, kWidth, kHeight);
  for (auto _ : state) {
    if (hostsim::image::CopyRect(*source, *destination, nullptr, nullptr,
                                 hostsim::image::Sampling::kNearest) != PF_Err_NONE) {
      state.SkipWithError("copy failed");
    }
  }
  ReportAgainstMemcpy(state, FrameBytes(*source));
}
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
