// docs/cli.md's highlights picture is what these commands render: the sample at the defaults,
// with highlights, and the glow pass (seen over black), side by side with 8 pixels between.
// To renew it after a change of look:
//   velmora render samples/sample.png d.png
//   velmora render samples/sample.png h.png --threshold 0.5 --softness 0.5
//   velmora render samples/sample.png p.png --threshold 0.5 --softness 0.5 --glow-pass
//   oiiotool d.png --ch R,G,B h.png --ch R,G,B p.png --premult --ch R,G,B
//     --mosaic:pad=8 3x1 -o docs/images/highlights.png   (one line)

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

TEST(DemoImage, TheHighlightsPictureIsWhatTheCommandsRender) {
  const Picture committed = ReadPicture(VELMORA_HIGHLIGHTS_IMAGE);
  const struct {
    const char* name;
    const char* flags;
  } tiles[] = {
      {"defaults.png", ""},
      {"highlights.png", " --threshold 0.5 --softness 0.5"},
      {"pass.png", " --threshold 0.5 --softness 0.5 --glow-pass"},
  };
  for (int tile = 0; tile < 3; ++tile) {
    SCOPED_TRACE(tiles[tile].name);
    const std::string output = std::string(VELMORA_DEMO_FOLDER) + "/" + tiles[tile].name;
    std::filesystem::remove(output);
    const std::string command = std::string("\"") + VELMORA_CLI_PATH + "\" render -q \"" +
                                VELMORA_SAMPLE + "\" \"" + output + "\"" + tiles[tile].flags;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Picture fresh = ReadPicture(output);
    ASSERT_EQ(committed.width, 3 * fresh.width + 2 * 8);
    ASSERT_EQ(committed.height, fresh.height);
    const int left = tile * (fresh.width + 8);
    float largest = 0.0f;
    for (int y = 0; y < fresh.height; ++y) {
      for (int x = 0; x < fresh.width; ++x) {
        const float alpha = fresh.channels == 4 ? fresh.at(x, y, 3) : 1.0f;
        for (int c = 0; c < 3; ++c) {
          // The pass is shown over black: its colour times its alpha.
          const float shown = fresh.at(x, y, c) * (tile == 2 ? alpha : 1.0f);
          largest = std::max(largest, std::fabs(shown - committed.at(left + x, y, c)));
        }
      }
    }
    // One level of the 8-bit file, and half a level for the pass's rounding over black.
    EXPECT_LE(largest, 1.5f / 255.0f + 1e-6f) << "renew docs/images/highlights.png (see above)";
  }
}

}  // namespace
