#pragma once
// An image between a file and the host: four channels R, G, B, A of straight (unassociated)
// colour, rows packed, samples in the type of the processing depth as files hold them
// (8-bit 0..255, 16-bit 0..65535, float unbounded).

#include <OpenImageIO/imageio.h>

#include <cstddef>
#include <vector>

#include "hostsim/world_store.h"

namespace cli {

struct Image {
  int width = 0;
  int height = 0;
  OIIO::TypeDesc type = OIIO::TypeDesc::UINT8;  // UINT8, UINT16 or FLOAT
  std::vector<std::byte> rgba;

  std::size_t pixel_bytes() const { return 4 * type.size(); }
  std::byte* pixel(int x, int y) {
    return rgba.data() + (static_cast<std::size_t>(y) * width + x) * pixel_bytes();
  }
  const std::byte* pixel(int x, int y) const {
    return rgba.data() + (static_cast<std::size_t>(y) * width + x) * pixel_bytes();
  }
};

// The sample type an image of each host depth holds, and back.
OIIO::TypeDesc SampleTypeOf(hostsim::Depth depth);
hostsim::Depth DepthOf(OIIO::TypeDesc sample_type);

// The processing depth a file's own pixel type asks for: 8-bit stays 8-bit, other integer
// types become 16-bit, half, float and double become float.
hostsim::Depth NaturalDepth(OIIO::TypeDesc file_type);

}  // namespace cli
