// The simulated host's image services one at a time on a 1920 x 1080 world of each depth,
// against a plain copy of the same world's bytes on all cores measured in the same run.
//
// Every row reports x_copy: the time of one call divided by the time of that plain copy. The
// blur runs at radii from 0.4 to 1024 (its cost should be flat in the radius); copies, fills
// and transfers should sit near their own traffic (a copy reads and writes, about 1; a fill
// only writes; a transfer reads two worlds and writes one, about 1.5).
//
//   build/release/bench/velmora_image_bench

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>

#include "bench/copy_baseline.h"
#include "hostsim/image/copy_rect.h"
#include "hostsim/image/fast_blur.h"
#include "hostsim/image/fill_rect.h"
#include "hostsim/image/transfer_rect.h"
#include "hostsim/world_store.h"

namespace {

using hostsim::Depth;
using hostsim::World;
using hostsim::WorldStore;

constexpr A_long kWidth = 1920, kHeight = 1080;

Depth DepthArg(const benchmark::State& state) {
  return static_cast<Depth>(state.range(0));
}

std::size_t WorldBytes(const World& world) {
  return static_cast<std::size_t>(world.effect_world.rowbytes) * world.height();
}

// A world with some structure, so no kernel meets only zeros.
World* Frame(WorldStore& store, Depth depth) {
  World* world = store.Create(depth, kWidth, kHeight);
  const PF_PixelFloat colour{1.0f, 0.8f, 0.3f, 0.5f};
  const PF_Rect band{0, 0, kWidth, kHeight / 2};
  hostsim::image::FillRect(*world, &colour, &band);
  return world;
}

// Times `call` and reports its time over the plain copy of `world`'s bytes.
template <class Call>
void Measure(benchmark::State& state, const World& world, Call&& call) {
  double seconds = 0.0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (call() != PF_Err_NONE) state.SkipWithError("the service failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const double copy = velmora_bench::CopySeconds(WorldBytes(world));
  state.counters["x_copy"] = seconds / static_cast<double>(state.iterations()) / copy;
}

void BM_FastBlur(benchmark::State& state) {
  WorldStore store;
  World* world = Frame(store, DepthArg(state));
  const double radius = static_cast<double>(state.range(1)) / 10.0;
  Measure(state, *world,
          [&] { return hostsim::image::FastBlur(*world, radius, PF_MF_Alpha_STRAIGHT); });
}

void BM_Copy(benchmark::State& state) {
  WorldStore store;
  const World* source = Frame(store, DepthArg(state));
  World* destination = store.Create(DepthArg(state), kWidth, kHeight);
  Measure(state, *source, [&] {
    return hostsim::image::CopyRect(*source, *destination, nullptr, nullptr,
                                    hostsim::image::Sampling::kNearest);
  });
}

void BM_Fill(benchmark::State& state) {
  WorldStore store;
  World* world = Frame(store, DepthArg(state));
  Measure(state, *world, [&] { return hostsim::image::FillRect(*world, nullptr, nullptr); });
}

void BM_TransferScreen(benchmark::State& state) {
  WorldStore store;
  const World* source = Frame(store, DepthArg(state));
  World* destination = Frame(store, DepthArg(state));
  PF_CompositeMode mode{};
  mode.xfer = PF_Xfer_SCREEN;
  mode.opacity = 200;
  mode.opacitySu = 200;
  Measure(state, *source, [&] {
    return hostsim::image::TransferRect(*source, *destination, nullptr, mode, PF_MF_Alpha_STRAIGHT,
                                        0, 0);
  });
}

void Depths(benchmark::internal::Benchmark* b) {
  for (Depth depth : {Depth::k8, Depth::k16, Depth::k32}) b->Args({static_cast<long>(depth)});
  b->ArgNames({"depth"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

// Depth (1: 8-bit, 2: 16-bit, 3: float) and radius x 10: 0.4, 1, 10, 100, 500, 1024.
void DepthsAndRadii(benchmark::internal::Benchmark* b) {
  for (long depth : {1, 2, 3})
    for (long radius : {4, 10, 100, 1000, 5000, 10240}) b->Args({depth, radius});
  b->ArgNames({"depth", "radius_x10"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_FastBlur)->Apply(DepthsAndRadii);
BENCHMARK(BM_Copy)->Apply(Depths);
BENCHMARK(BM_Fill)->Apply(Depths);
BENCHMARK(BM_TransferScreen)->Apply(Depths);

}  // namespace
