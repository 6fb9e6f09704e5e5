#include "bench/copy_baseline.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

#include "hostsim/parallel.h"
#include "hostsim/world_store.h"

namespace velmora_bench {

double CopySeconds(std::size_t bytes) {
  static std::mutex mutex;
  static std::map<std::size_t, double> measured;
  std::lock_guard<std::mutex> lock(mutex);
  if (auto found = measured.find(bytes); found != measured.end()) return found->second;

  // Pool memory, as the worlds have: the same pages and the same huge-page advice.
  const hostsim::PixelMemory from = hostsim::AcquirePixelMemory(bytes);
  const hostsim::PixelMemory to = hostsim::AcquirePixelMemory(bytes);
  std::memset(from.get(), 1, bytes);
  std::memset(to.get(), 0, bytes);
  constexpr std::size_t kChunk = std::size_t{1} << 20;
  const auto chunks = static_cast<std::int64_t>((bytes + kChunk - 1) / kChunk);
  double best = 1e30;
  for (int run = 0; run < 7; ++run) {
    const auto start = std::chrono::steady_clock::now();
    hostsim::ParallelFor(chunks, [&](std::int64_t c, int) {
      const std::size_t begin = static_cast<std::size_t>(c) * kChunk;
      std::memcpy(to.get() + begin, from.get() + begin, std::min(kChunk, bytes - begin));
    });
    best = std::min(
        best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  measured[bytes] = best;
  return best;
}

double CopyBandwidth() {
  constexpr std::size_t kBytes = std::size_t{256} << 20;
  return 2.0 * static_cast<double>(kBytes) / CopySeconds(kBytes);
}

}  // namespace velmora_bench
