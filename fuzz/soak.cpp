// The soak: thousands of frames of random size, depth and controls, with an interruption or a
// failing host operation now and then, through one loaded effect, as a long sequence render
// would run. The heap in use and the resident set are sampled every hundred frames. Early on
// the heap climbs in steps as buffers reach the largest frame seen so far and keep that
// capacity; after that it must stay flat: a heap that grows over the second half of the run
// is a leak, and fails it.
//
//   velmora_soak [FRAMES [SEED]]      defaults: 3000 frames, seed 1

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <vector>

#include "fuzz/frame_case.h"

namespace {

constexpr long kSampleEvery = 100;
// Frames up to 640 x 640 and every radius a user can set; controls stay in their ranges.
constexpr velmora_fuzz::FrameLimits kLimits{
    .max_side = 640, .max_radius = 500, .out_of_range_controls = false};
// Allocator bookkeeping may drift by a few pages without anything being held.
constexpr double kFlatMegabytes = 1.0;

double HeapInUseMegabytes() {
  return static_cast<double>(mallinfo2().uordblks) / (1 << 20);
}

double ResidentMegabytes() {
  long pages_total = 0, pages_resident = 0;
  std::ifstream("/proc/self/statm") >> pages_total >> pages_resident;
  return static_cast<double>(pages_resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
         (1 << 20);
}

}  // namespace

int main(int argc, char** argv) {
  const long frames = argc > 1 ? std::atol(argv[1]) : 3000;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 1;
  if (frames < kSampleEvery) {
    std::fprintf(stderr, "velmora_soak: run at least %ld frames\n", kSampleEvery);
    return 2;
  }

  velmora_fuzz::EffectUnderTest effect(VELMORA_MODULE_PATH);
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(64 + 1024);
  long faults = 0, failed = 0, pixels = 0;
  double first_heap = 0.0, half_way_heap = 0.0;

  std::printf("%8s %14s %14s %8s %8s\n", "frames", "heap in use MB", "resident MB", "faults",
              "errors");
  for (long frame = 1; frame <= frames; ++frame) {
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    velmora_fuzz::FuzzInput input(bytes.data(), bytes.size());
    const velmora_fuzz::FrameOutcome outcome = effect.Render(input, kLimits);
    faults += outcome.fault_armed;
    failed += outcome.err != PF_Err_NONE;
    pixels += static_cast<long>(outcome.width) * outcome.height;
    if (frame % kSampleEvery == 0) {
      const double heap = HeapInUseMegabytes(), resident = ResidentMegabytes();
      if (frame == kSampleEvery) first_heap = heap;
      if (frame <= frames / 2) half_way_heap = heap;
      std::printf("%8ld %14.2f %14.1f %8ld %8ld\n", frame, heap, resident, faults, failed);
      std::fflush(stdout);
    }
  }

  const double end_heap = HeapInUseMegabytes();
  const double growth = end_heap - half_way_heap;
  std::printf(
      "%ld frames (%.1f megapixels), %ld with a fault injected, %ld ended in an error; "
      "heap in use %.2f MB at frame %ld, %.2f MB half-way, %.2f MB at the end\n",
      frames, static_cast<double>(pixels) / 1e6, faults, failed, first_heap, kSampleEvery,
      half_way_heap, end_heap);
  if (growth > kFlatMegabytes) {
    std::fprintf(stderr, "velmora_soak: the heap grew by %.2f MB over the second half\n", growth);
    return 1;
  }
  return 0;
}
