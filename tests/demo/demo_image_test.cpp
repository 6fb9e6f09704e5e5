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

#include "tests/demo/picture.h"

namespace {

using velmora_test::Picture;
using velmora_test::ReadPicture;

TEST(DemoImage, TheReadmePictureIsWhatTheDemoRenders) {
  std::filesystem::remove(VELMORA_DEMO_OUTPUT);
  const std::string command = std::string("\"") + VELMORA_CLI_PATH + "\" render \"" +
                              VELMORA_SAMPLE + "\" \"" + VELMORA_DEMO_OUTPUT + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  const Picture fresh = ReadPicture(VELMORA_DEMO_OUTPUT);
  const Picture committed = ReadPicture(VELMORA_DEMO_IMAGE);
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
