#include "cli/frame_memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace cli {
namespace {

// Input, output, the effect's four working worlds (source, backdrop, glow, source copy), a
// blurred window and the host's blur scratch.
constexpr std::uint64_t kWorldsPerRender = 8;
constexpr std::uint64_t kWorldsInFlight = 3;

}  // namespace

std::uint64_t RenderMemory(int width, int height, hostsim::Depth depth, bool overlapped) {
  const std::uint64_t worlds = kWorldsPerRender + (overlapped ? kWorldsInFlight : 0);
  return worlds * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) *
         hostsim::PixelSize(depth);
}

std::uint64_t MachineMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long page_size = sysconf(_SC_PAGE_SIZE);
  std::uint64_t bytes = pages > 0 && page_size > 0 ? static_cast<std::uint64_t>(pages) *
                                                         static_cast<std::uint64_t>(page_size)
                                                   : UINT64_MAX;
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    bytes = std::min<std::uint64_t>(bytes, limit.rlim_cur);
  }
  return bytes;
}

std::optional<std::uint64_t> ParseMemorySize(const std::string& text) {
  double number = 0.0;
  const char* end = text.data() + text.size();
  const auto [rest, error] = std::from_chars(text.data(), end, number);
  if (error != std::errc() || !std::isfinite(number) || number < 0.0) return std::nullopt;
  // K, M, G, T in either case, alone or followed by B or iB: all powers of 1024.
  std::string unit(rest, end);
  for (char& c : unit) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (unit.ends_with("IB")) {
    unit.resize(unit.size() - 2);
  } else if (unit.size() == 2 && unit.back() == 'B') {
    unit.pop_back();
  }
  double scale = 1.0;
  if (!unit.empty()) {
    const std::string_view kUnits = "KMGT";
    const auto power = unit.size() == 1 ? kUnits.find(unit[0]) : std::string_view::npos;
    if (power == std::string_view::npos) return std::nullopt;
    scale = std::pow(1024.0, static_cast<double>(power + 1));
  }
  const double bytes = number * scale;
  if (bytes >= 1.8e19) return std::nullopt;
  return static_cast<std::uint64_t>(bytes);
}

std::string MemoryText(std::uint64_t bytes) {
  char text[32];
  const double gb = static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0);
  if (gb >= 1.0) {
    std::snprintf(text, sizeof text, "%.1f GB", gb);
  } else {
    std::snprintf(text, sizeof text, "%.0f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  }
  return text;
}

}  // namespace cli
