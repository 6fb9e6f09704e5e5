// The whole render through the loaded effect module: one frame at a time through the simulated
// host, as `velmora` drives it, with the frame's memory already in the host's pool (as in a
// sequence). Each row reports
//   x_floor   the frame's time over its floor: the bytes the frame's host calls must at least
//             read and write (hostsim::FloorBytes, see bench/README.md), divided by the
//             machine's copy bandwidth measured in the same run;
//   floor_ms  that floor; copy_GBps the bandwidth;
//   cpu_ms    the CPU time of the whole process (every thread) a frame, which a busy machine
//             disturbs less than the time on the clock.
// The Threads rows render the same frame with its jobs on 1 and on 2 threads, so their times
// show how a frame scales.
//
//   build/release/bench/velmora_render_bench                       the default rows
//   build/release/bench/velmora_render_bench --benchmark_filter=.  all 36 rows and the 8 Threads
//   rows

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "bench/copy_baseline.h"
#include "effect/params/params.h"
#include "hostsim/floor_bytes.h"
#include "hostsim/host.h"
#include "hostsim/parallel.h"
#include "hostsim/param_store.h"
#include "hostsim/world_store.h"

namespace {

using hostsim::Depth;
using hostsim::World;

struct Size {
  A_long width, height;
};
constexpr Size kSizes[] = {{1920, 1080}, {3840, 2160}};
constexpr int kRadii[] = {10, 100, 500};

// Forty bright discs on a dim gradient, straight and opaque: something for every level.
template <class Pixel>
void FillFrame(World& world, float full_scale) {
  for (A_long y = 0; y < world.height(); ++y) {
    auto* row = world.pixel<Pixel>(0, y);
    for (A_long x = 0; x < world.width(); ++x) {
      float v = 0.1f * static_cast<float>(x) / static_cast<float>(world.width());
      for (int i = 0; i < 40; ++i) {
        const float cx = static_cast<float>((i * 7919) % world.width());
        const float cy = static_cast<float>((i * 104729) % world.height());
        const float r = static_cast<float>(world.height()) / 60.0f * static_cast<float>(1 + i % 4);
        const float dx = static_cast<float>(x) - cx, dy = static_cast<float>(y) - cy;
        if (dx * dx + dy * dy < r * r) v = 0.95f;
      }
      const auto c = static_cast<decltype(Pixel{}.red)>(v * full_scale);
      row[x] = Pixel{static_cast<decltype(Pixel{}.alpha)>(full_scale), c, c, c};
    }
  }
}

World* MakeInput(hostsim::Host& host, Depth depth, Size size) {
  World* world = host.worlds().Create(depth, size.width, size.height);
  hostsim::VisitDepth(depth, [&](auto traits) {
    using Traits = decltype(traits);
    FillFrame<typename Traits::Pixel>(*world, Traits::kFullScale);
  });
  return world;
}

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// threads: how many threads the frame's jobs may use, 0 for all.
void RenderFrames(benchmark::State& state, Size size, Depth depth, int radius, bool repeat,
                  int threads) {
  hostsim::LimitJobThreads(threads);
  hostsim::Host host(VELMORA_MODULE_PATH);
  if (host.GlobalSetup() != PF_Err_NONE || host.ParamsSetup() != PF_Err_NONE ||
      host.SequenceSetup() != PF_Err_NONE) {
    state.SkipWithError("the effect did not set up");
    return;
  }
  host.params()[velmora::PARAM_RADIUS].u.sd.value = radius;
  host.params()[velmora::PARAM_REPEAT_EDGES].u.bd.value = repeat ? 1 : 0;
  World* input = MakeInput(host, depth, size);
  const hostsim::FrameSettings settings;
  const double bandwidth = velmora_bench::CopyBandwidth();

  auto frame = [&]() -> bool {
    World* output = nullptr;
    const PF_Err err = host.RenderFrame(*input, settings, &output);
    if (output != nullptr) host.worlds().Dispose(output);
    host.FinishFrame();
    return err == PF_Err_NONE;
  };
  if (!frame()) {  // warms the pool, as every frame after a sequence's first finds it
    state.SkipWithError("the render failed");
    return;
  }
  const std::size_t fresh_before = hostsim::FreshPixelBlocks();
  hostsim::ResetPeakPixelBytesInUse();
  double seconds = 0.0, cpu_seconds = 0.0, floor_bytes = 0.0;
  for (auto _ : state) {
    hostsim::ResetFloorBytes();
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = ProcessCpuSeconds();
    const bool rendered = frame();
    cpu_seconds += ProcessCpuSeconds() - cpu_start;
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    floor_bytes += static_cast<double>(hostsim::FloorBytes());
    if (!rendered) state.SkipWithError("the render failed");
  }
  const auto frames = static_cast<double>(state.iterations());
  const double floor_seconds = floor_bytes / frames / bandwidth;
  state.counters["x_floor"] = seconds / frames / floor_seconds;
  state.counters["floor_ms"] = floor_seconds * 1e3;
  state.counters["copy_GBps"] = bandwidth / 1e9;
  state.counters["cpu_ms"] = cpu_seconds / frames * 1e3;
  // Memory the frames took from the system rather than the pool (0 once the pool is warm).
  state.counters["fresh_blocks"] =
      static_cast<double>(hostsim::FreshPixelBlocks() - fresh_before) / frames;
  // The most pixel memory a frame held at once: the input and output worlds, every world the
  // effect asked for and the services' scratch memory.
  state.counters["worlds_MB"] = static_cast<double>(hostsim::PeakPixelBytesInUse()) / 1e6;
  // How many blocks held that peak (worlds, the blur's scratch), and the peak in frames of the
  // input's size: what a smaller set of working worlds would have to bring down.
  state.counters["peak_blocks"] = static_cast<double>(hostsim::PixelBlocksAtPeak());
  state.counters["peak_frames"] =
      static_cast<double>(hostsim::PeakPixelBytesInUse()) /
      (static_cast<double>(input->effect_world.rowbytes) * input->height());
  host.worlds().Dispose(input);
  host.SequenceSetdown();
  host.GlobalSetdown();
  hostsim::LimitJobThreads(0);
}

void RegisterAll() {
  for (const Size& size : kSizes) {
    for (Depth depth : hostsim::kDepths) {
      for (int radius : kRadii) {
        for (bool repeat : {false, true}) {
          const std::string name = "Render/" + std::to_string(size.width) + "x" +
                                   std::to_string(size.height) + "/" + hostsim::DepthName(depth) +
                                   "/r" + std::to_string(radius) + "/repeat" + (repeat ? "1" : "0");
          benchmark::RegisterBenchmark(name.c_str(), RenderFrames, size, depth, radius, repeat, 0)
              ->Unit(benchmark::kMillisecond)
              ->UseRealTime()
              ->MinTime(2.0);
        }
      }
    }
  }
  // 1 and 2 threads side by side at each size, at 8 bits and in float.
  for (const Size& size : kSizes) {
    for (Depth depth : {Depth::k8, Depth::k32}) {
      for (int threads : {1, 2}) {
        const std::string name = "Threads/" + std::to_string(size.width) + "x" +
                                 std::to_string(size.height) + "/" + hostsim::DepthName(depth) +
                                 "/r100/threads" + std::to_string(threads);
        benchmark::RegisterBenchmark(name.c_str(), RenderFrames, size, depth, 100, false, threads)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
      }
    }
  }
}

// Without a filter of its own, a run takes the rows the targets are read from: 1080p at every
// depth and radius with edge repeat off, the 4K float frame at radius 100, and the 1080p
// frames on 1 and 2 threads.
constexpr const char* kDefaultFilter =
    "--benchmark_filter=Render/1920x1080/.*/repeat0|Render/3840x2160/float/r100/"
    "repeat0|Threads/1920x1080/";

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args(argv, argv + argc);
  bool filtered = false;
  for (int i = 1; i < argc; ++i)
    filtered |= std::string(argv[i]).rfind("--benchmark_filter", 0) == 0;
  std::string default_filter = kDefaultFilter;
  if (!filtered) args.push_back(default_filter.data());
  int count = static_cast<int>(args.size());
  RegisterAll();
  benchmark::Initialize(&count, args.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
