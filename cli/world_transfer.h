#pragma once
// Moving pixels between an Image (R, G, B, A; 16-bit at 0..65535) and a host world
// (A, R, G, B; 16-bit at 0..32768; rows padded).

#include <cstdint>

#include "cli/image.h"
#include "hostsim/world_store.h"

namespace cli {

// 16-bit scale changes, rounded to the nearest level: a file value survives the round trip
// within one level of 65535, and every host value survives it exactly.
constexpr std::uint16_t FileToHost16(std::uint16_t file_value) {
  return static_cast<std::uint16_t>((std::uint64_t{file_value} * 65536u + 65535u) / 131070u);
}
constexpr std::uint16_t HostToFile16(std::uint16_t host_value) {
  const std::uint64_t limited = host_value > 32768u ? 32768u : host_value;
  return static_cast<std::uint16_t>((limited * 131070u + 32768u) / 65536u);
}

// A new world of the image's depth in store, holding the image; throws CliError when the
// host refuses it.
hostsim::World* CreateWorldFrom(const Image& image, hostsim::WorldStore& store);

// The world's pixels as an Image of the world's depth.
Image ImageFromWorld(const hostsim::World& world);

}  // namespace cli
