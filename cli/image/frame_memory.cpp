#include "cli/image/frame_memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "cli/report/cli_error.h"
#include "effect/params/glow_extent.h"
#include "hostsim/image/fast_blur.h"
#include "hostsim/parallel.h"

namespace cli {
namespace {

// Worlds of the frame's size alive at the peak: the host's input and output, and the effect's
// own at the layer's size.
constexpr std::uint64_t kFrameWorlds = 2 + velmora::kLayerSizedWorlds;
// Worlds of the glow's size, as the effect makes them.
constexpr std::uint64_t kGlowWorlds = velmora::kGlowSizedWorlds;
// Input worlds of other frames in a sequence: the next frame's, the last frame's and its output.
constexpr std::uint64_t kWorldsInFlight = 3;

}  // namespace

std::uint64_t RenderMemory(int width, int height, hostsim::Depth depth, int repeat_edges_pad,
                           bool overlapped, bool keyed) {
  const std::uint64_t frame = hostsim::WorldBytes(depth, width, height);
  const A_long glow_width = width + repeat_edges_pad, glow_height = height + repeat_edges_pad;
  const std::uint64_t glow = hostsim::WorldBytes(depth, glow_width, glow_height);
  return (kFrameWorlds + (overlapped ? kWorldsInFlight : 0) + (keyed ? 1 : 0)) * frame +
         kGlowWorlds * glow +
         hostsim::image::BlurScratchBytes(depth, glow_width, glow_height, hostsim::ThreadCount());
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

std::uint64_t DeclaredBytes(const OIIO::ImageSpec& spec) {
  const std::uint64_t stored_bits = 8 * spec.channelformat(0).size();
  const std::uint64_t bits = static_cast<std::uint64_t>(
      std::clamp<int>(spec.get_int_attribute("oiio:BitsPerSample", static_cast<int>(stored_bits)),
                      1, static_cast<int>(stored_bits)));
  return static_cast<std::uint64_t>(spec.width) * static_cast<std::uint64_t>(spec.height) *
         spec.pixel_bytes(true) * bits / stored_bits;
}

void CheckFrameMemory(const std::string& name, const SourceImage& source, hostsim::Depth depth,
                      int repeat_edges_pad, bool overlapped, bool keyed,
                      const std::optional<std::uint64_t>& max_memory) {
  const FileRect& rect = source.layer_rect;
  std::uint64_t needed =
      RenderMemory(rect.width, rect.height, depth, repeat_edges_pad, overlapped, keyed);
  for (const OIIO::ImageSpec& part : source.parts) {
    // The parts as read, and again for the frame being written behind this one.
    needed += DeclaredBytes(part) * (overlapped ? 2 : 1);
  }
  const std::uint64_t allowed = max_memory.value_or(MachineMemory());
  if (needed > allowed) {
    const std::string size = std::to_string(rect.width) + " x " + std::to_string(rect.height);
    throw CliError(name, "a " + size + " frame needs about " + MemoryText(needed) +
                             " to render at " + DepthName(depth) + "; " +
                             (max_memory ? "--max-memory allows " : "this machine has ") +
                             MemoryText(allowed) + " (--max-memory SIZE to allow more)");
  }
}

std::optional<std::uint64_t> MaxMemoryFlag(const std::string& text) {
  if (text.empty()) return std::nullopt;
  const std::optional<std::uint64_t> size = ParseMemorySize(text);
  if (!size)
    throw CliError("--max-memory", Quoted(text) + " is not a size such as 16G", kExitUsage);
  return size;
}

void AddMaxMemoryOption(CLI::App& command, std::string& value) {
  command
      .add_option("--max-memory", value,
                  "Memory a frame may take, e.g. 16G (default: the machine's)")
      ->type_name("SIZE");
}

}  // namespace cli
