#pragma once
// Moving pixels between a file's rows (its channels in their stored types, 16-bit at 0..65535,
// associated or straight colour) and a host world (A, R, G, B of straight colour; 16-bit at
// 0..32768; rows padded), one row at a time, so a frame is never held twice on its way.

#include <OpenImageIO/color.h>
#include <OpenImageIO/imageio.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "cli/image/image.h"
#include "engine/owned_world.h"
#include "hostsim/world_store.h"

namespace cli {

using velmora::engine::OwnedWorld;

// 16-bit scale changes, rounded to the nearest level: a file value survives the round trip
// within one level of 65535, and every host value survives it exactly.
constexpr std::uint16_t FileToHost16(std::uint16_t file_value) {
  return static_cast<std::uint16_t>((std::uint64_t{file_value} * 65536u + 65535u) / 131070u);
}
constexpr std::uint16_t HostToFile16(std::uint16_t host_value) {
  const std::uint64_t limited = host_value > 32768u ? 32768u : host_value;
  return static_cast<std::uint16_t>((limited * 131070u + 32768u) / 65536u);
}

// What storing rows met on the way, for a warning.
struct RowStoreNotes {
  bool clipped = false;     // a float value above 1.0 was clipped to an integer depth
  bool non_finite = false;  // a NaN or infinite sample was read as 0
  RowStoreNotes& operator|=(const RowStoreNotes& other) {
    clipped = clipped || other.clipped;
    non_finite = non_finite || other.non_finite;
    return *this;
  }
};

// Stores count pixels of a file row into the world at (world_x, world_y). native holds the
// pixels in the layout of spec (every channel in its stored type); layer says which channels
// are colour and alpha. What enters the world is always finite: a NaN or infinite sample
// enters as 0, and associated colour is divided by alpha only where the quotient is finite
// (colour is kept as stored where alpha is 0 or too small to divide by). With to_working, the
// straight colour is converted in float before it is stored, and a NaN or infinite result
// enters as 0 too (with the run's one warning about such values).
RowStoreNotes StoreFileRow(const OIIO::ImageSpec& spec, const LayerChannels& layer, bool associated,
                           const std::byte* native, int count, const hostsim::World& world,
                           int world_x, int world_y,
                           const OIIO::ColorProcessor* to_working = nullptr);

// Fills the first roles.size() channels of count pixels in the layout of spec from the world's
// row at (world_x, world_y), channel c from world role roles[c] (0 to 3: R, G, B, A), colour
// multiplied by alpha when associate. With to_output, the straight colour is converted in
// float first, and a result the file's colour channels would hold as NaN or infinite (a half
// float past 65504 among them) is written as 0 (with the run's one warning about such values).
void LoadWorldRow(const hostsim::World& world, int world_x, int world_y, int count, bool associate,
                  const OIIO::ImageSpec& spec, std::span<const int> roles, std::byte* native,
                  const OIIO::ColorProcessor* to_output = nullptr);

}  // namespace cli
