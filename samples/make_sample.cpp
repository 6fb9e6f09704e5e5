// Draws samples/sample.png: a 320 x 180 night scene of bright shapes on a nearly black gradient,
// the kind of picture a glow shows off. Shapes are signed distances, antialiased by 4 x 4
// supersampling, so the file is the same on every machine.
//
//   make_sample OUTPUT.png

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 180;

struct Colour {
  float r, g, b;
};

struct Shape {
  // Distance from (x, y) to the shape: negative inside.
  float (*distance)(float x, float y);
  Colour colour;
};

float Circle(float x, float y, float cx, float cy, float radius) {
  return std::hypot(x - cx, y - cy) - radius;
}

float Box(float x, float y, float cx, float cy, float half_w, float half_h) {
  const float dx = std::abs(x - cx) - half_w;
  const float dy = std::abs(y - cy) - half_h;
  return std::max(dx, dy);
}

const Shape kShapes[] = {
    {[](float x, float y) { return Circle(x, y, 70, 80, 22); }, {1.0f, 0.97f, 0.85f}},  // moon
    {[](float x, float y) { return std::abs(Circle(x, y, 170, 95, 30)) - 3.0f; },
     {1.0f, 0.55f, 0.1f}},                                                               // ring
    {[](float x, float y) { return Box(x, y, 260, 60, 30, 4); }, {0.2f, 0.9f, 1.0f}},    // bar
    {[](float x, float y) { return Box(x, y, 262, 130, 6, 28); }, {1.0f, 0.25f, 0.6f}},  // post
    {[](float x, float y) { return Circle(x, y, 120, 30, 2.5f); }, {1, 1, 1}},
    {[](float x, float y) { return Circle(x, y, 215, 22, 2.0f); }, {1, 1, 1}},
    {[](float x, float y) { return Circle(x, y, 300, 150, 2.5f); }, {1, 1, 1}},
    {[](float x, float y) { return Circle(x, y, 30, 150, 1.5f); }, {1, 1, 1}},
};

Colour Background(float y) {
  const float t = y / kHeight;
  // Nearly black: the glow screens every level over the frame, so a lit backdrop would wash out.
  return {0.0f, 0.004f * t, 0.012f * t};
}

Colour Shade(float x, float y) {
  Colour colour = Background(y);
  for (const Shape& shape : kShapes) {
    if (shape.distance(x, y) < 0.0f) colour = shape.colour;
  }
  return colour;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample OUTPUT.png\n");
    return 2;
  }
  constexpr int kSub = 4;
  std::vector<unsigned char> pixels(kWidth * kHeight * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      Colour sum{0, 0, 0};
      for (int sy = 0; sy < kSub; ++sy) {
        for (int sx = 0; sx < kSub; ++sx) {
          const Colour c = Shade(x + (sx + 0.5f) / kSub, y + (sy + 0.5f) / kSub);
          sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
        }
      }
      unsigned char* out = &pixels[(y * kWidth + x) * 3];
      const float n = kSub * kSub;
      out[0] = static_cast<unsigned char>(std::lround(sum.r / n * 255));
      out[1] = static_cast<unsigned char>(std::lround(sum.g / n * 255));
      out[2] = static_cast<unsigned char>(std::lround(sum.b / n * 255));
    }
  }
  auto file = OIIO::ImageOutput::create(argv[1]);
  OIIO::ImageSpec spec(kWidth, kHeight, 3, OIIO::TypeDesc::UINT8);
  spec.attribute("oiio:ColorSpace", "sRGB");
  if (!file || !file->open(argv[1], spec) ||
      !file->write_image(OIIO::TypeDesc::UINT8, pixels.data()) || !file->close()) {
    std::fprintf(stderr, "make_sample: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
