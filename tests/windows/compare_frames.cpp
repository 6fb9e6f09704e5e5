// velmora_compare_frames LINUX_FOLDER WINDOWS_FOLDER
//
// Compares what velmora_host_driver wrote for the Linux module and for the Windows module
// (under wine). The life-cycle record must be identical. Frames at 8 and 16 bits must agree
// exactly, except that a channel may differ by one level: the two C runtimes' pow and exp may
// differ in the last bit, and a truncating conversion turns that into one level now and then;
// such pixels are counted and reported. Float frames agree within kFloatTolerance.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>

#include "tests/windows/frame_file.h"

namespace {

// Relative to the value, or absolute below 1: a few float ulps through ten blur levels.
constexpr double kFloatTolerance = 1e-5;

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error(file.string() + ": cannot be opened");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> FrameNames(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".raw") names.insert(entry.path().filename().string());
  return names;
}

template <class Channel>
Channel ChannelAt(const FrameFile::Frame& frame, std::size_t index) {
  Channel value;
  std::memcpy(&value, frame.pixels.data() + index * sizeof(Channel), sizeof(Channel));
  return value;
}

// Returns true when the frames agree within the rules above; prints one line either way.
bool CompareFrame(const std::string& name, const FrameFile::Frame& linux_frame,
                  const FrameFile::Frame& windows_frame) {
  if (linux_frame.width != windows_frame.width || linux_frame.height != windows_frame.height ||
      linux_frame.bits != windows_frame.bits) {
    std::printf("%s: sizes or depths differ\n", name.c_str());
    return false;
  }
  const std::size_t pixels = std::size_t(linux_frame.width) * std::size_t(linux_frame.height);
  std::size_t one_level = 0, beyond = 0;
  double worst = 0.0;
  for (std::size_t p = 0; p < pixels; ++p) {
    double pixel_worst = 0.0;
    for (std::size_t c = 4 * p; c < 4 * p + 4; ++c) {
      double difference;
      if (linux_frame.bits == 32) {
        const double a = ChannelAt<float>(linux_frame, c);
        const double b = ChannelAt<float>(windows_frame, c);
        difference =
            std::isnan(a) && std::isnan(b) ? 0.0 : std::abs(a - b) / std::max(1.0, std::abs(a));
        if (std::isnan(difference)) difference = INFINITY;
      } else if (linux_frame.bits == 16) {
        difference = std::abs(ChannelAt<std::uint16_t>(linux_frame, c) -
                              ChannelAt<std::uint16_t>(windows_frame, c));
      } else {
        difference = std::abs(ChannelAt<std::uint8_t>(linux_frame, c) -
                              ChannelAt<std::uint8_t>(windows_frame, c));
      }
      pixel_worst = std::max(pixel_worst, difference);
    }
    worst = std::max(worst, pixel_worst);
    const double allowed = linux_frame.bits == 32 ? kFloatTolerance : 1.0;
    if (pixel_worst > allowed)
      ++beyond;
    else if (pixel_worst > 0.0 && linux_frame.bits != 32)
      ++one_level;
  }
  if (linux_frame.bits == 32)
    std::printf("%s: float, largest difference %.3g (tolerance %.0e), %zu pixels beyond\n",
                name.c_str(), worst, kFloatTolerance, beyond);
  else if (worst == 0.0)
    std::printf("%s: bit-exact\n", name.c_str());
  else
    std::printf("%s: %zu of %zu pixels differ by one level, %zu by more\n", name.c_str(), one_level,
                pixels, beyond);
  return beyond == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: velmora_compare_frames LINUX_FOLDER WINDOWS_FOLDER\n");
    return 2;
  }
  const std::filesystem::path linux_folder = argv[1], windows_folder = argv[2];
  try {
    bool agree = true;
    if (ReadText(linux_folder / "life_cycle.txt") != ReadText(windows_folder / "life_cycle.txt")) {
      std::printf("life_cycle.txt: the two modules answered the life-cycle commands differently\n");
      agree = false;
    } else {
      std::printf("life_cycle.txt: identical\n");
    }
    const std::set<std::string> names = FrameNames(linux_folder);
    if (names.empty() || names != FrameNames(windows_folder)) {
      std::printf("the two folders do not hold the same frames\n");
      agree = false;
    }
    for (const std::string& name : names) {
      if (!std::filesystem::exists(windows_folder / name)) continue;
      agree &= CompareFrame(name, FrameFile::Read(linux_folder / name),
                            FrameFile::Read(windows_folder / name));
    }
    return agree ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velmora_compare_frames: %s\n", error.what());
    return 1;
  }
}
