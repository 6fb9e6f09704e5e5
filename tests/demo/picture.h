#pragma once
// A picture file read whole as float samples (0..1 for integer files), for the demo pictures'
// comparisons.

#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace velmora_test {

struct Picture {
  int width = 0, height = 0, channels = 0;
  std::vector<float> samples;  // 0..1
  float at(int x, int y, int c) const {
    return samples[(static_cast<std::size_t>(y) * width + x) * channels + c];
  }
};

// The file's pixels; a test failure (and an empty picture) when it cannot be read.
inline Picture ReadPicture(const std::string& path) {
  Picture picture;
  auto in = OIIO::ImageInput::open(path);
  if (!in) {
    ADD_FAILURE() << "cannot open " << path;
    return picture;
  }
  const OIIO::ImageSpec& spec = in->spec();
  picture.width = spec.width;
  picture.height = spec.height;
  picture.channels = spec.nchannels;
  picture.samples.resize(static_cast<std::size_t>(spec.width) * spec.height * spec.nchannels);
  EXPECT_TRUE(
      in->read_image(0, 0, 0, spec.nchannels, OIIO::TypeDesc::FLOAT, picture.samples.data()));
  return picture;
}

}  // namespace velmora_test
