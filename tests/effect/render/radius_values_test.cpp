// The values the glow derives from its radius, across the slider's range.

#include "effect/render/radius_values.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(DeriveRadiusValues, MarginHalvesAndPadRoundsUpToMultiplesOf64) {
  // BlurBase is the first level's blur radius: 0.4 at the default radius of 100, 2 at 500.
  const struct {
    double radius;
    A_long edge_margin, pad_size;
    double blur_base;
  } rows[] = {{1, 0, 64, 0.004},     {7, 3, 64, 0.028},     {63, 31, 64, 0.252},
              {64, 32, 64, 0.256},   {65, 32, 128, 0.26},   {100, 50, 128, 0.4},
              {128, 64, 128, 0.512}, {129, 64, 192, 0.516}, {500, 250, 512, 2.0},
              {3.5, 1, 64, 0.014}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.radius);
    const RadiusValues values = DeriveRadiusValues(row.radius);
    EXPECT_EQ(values.edge_margin, row.edge_margin);
    EXPECT_EQ(values.pad_size, row.pad_size);
    EXPECT_DOUBLE_EQ(values.blur_base, row.blur_base);
  }
}

TEST(DeriveRadiusValues, RadiusZeroHasNoBlurAndAnUnusedPad) {
  const RadiusValues values = DeriveRadiusValues(0);
  EXPECT_EQ(values.blur_base, 0.0);
  EXPECT_EQ(values.edge_margin, 0);
  EXPECT_EQ(values.pad_size, -1);
}

}  // namespace
}  // namespace velmora
