#pragma once
// A rendered frame as raw bytes on disk: "VLMRAW1\n", then width, height and bits per channel as
// 32-bit little-endian numbers, then the pixels row after row without row padding (A, R, G, B
// per pixel, in the host's pixel records).

#include <cstdint>
#include <filesystem>
#include <vector>

#include "hostsim/world_store.h"

namespace FrameFile {

struct Frame {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bits = 0;  // 8, 16 or 32 (float)
  std::vector<std::uint8_t> pixels;
};

int BitsOf(hostsim::Depth depth);
void Write(const hostsim::World& world, const std::filesystem::path& file);
Frame Read(const std::filesystem::path& file);  // throws std::runtime_error when malformed

}  // namespace FrameFile
