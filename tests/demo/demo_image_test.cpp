// The picture the README shows is what `make demo` renders: a fresh render of the sample with
// default controls matches docs/images/sample_glow.png within one level of every channel.
// To renew the picture after a change of look:
//   build/release/cli/velmora render samples/sample.png docs/images/sample_glow.png

#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Picture {
  int width = 0, height = 0, channels = 0;
  std::vector<float> samples;  // 0..1
};

Picture Read(const std::string& path) {
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

TEST(DemoImage, TheReadmePictureIsWhatTheDemoRenders) {
  std::filesystem::remove(VELMORA_DEMO_OUTPUT);
  const std::string command = std::string("\"") + VELMORA_CLI_PATH + "\" render \"" +
                              VELMORA_SAMPLE + "\" \"" + VELMORA_DEMO_OUTPUT + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  const Picture fresh = Read(VELMORA_DEMO_OUTPUT);
  const Picture committed = Read(VELMORA_DEMO_IMAGE);
  ASSERT_EQ(fresh.width, committed.width);
  ASSERT_EQ(fresh.height, committed.height);
  ASSERT_EQ(fresh.channels, committed.channels);
  float largest = 0.0f;
  for (std::size_t i = 0; i < fresh.samples.size(); ++i) {
    largest = std::max(largest, std::fabs(fresh.samples[i] - committed.samples[i]));
  }
  // One level of the 8-bit file, with room for the float round trip of the reading.
  EXPECT_LE(largest, 1.0f / 255.0f + 1e-6f)
      << "renew docs/images/sample_glow.png from `make demo` if the look changed on purpose";
}

}  // namespace
