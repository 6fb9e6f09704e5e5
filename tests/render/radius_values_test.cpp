// The values the glow derives from its radius, across the slider's range.

#include "render/radius_values.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(DeriveRadiusValues, MarginHalvesAndPadRoundsUpToMultiplesOf64) {
  const struct {
    double radius;
    A_long edge_margin, pad_size;
  } rows[] = {{1, 0, 64},     {7, 3, 64},     {63, 31, 64},   {64, 32, 64},    {65, 32, 128},
              {100, 50, 128}, {128, 64, 128}, {129, 64, 192}, {500, 250, 512}, {3.5, 1, 64}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.radius);
    const RadiusValues values = DeriveRadiusValues(row.radius);
    EXPECT_EQ(values.edge_margin, row.edge_margin);
    EXPECT_EQ(values.pad_size, row.pad_size);
    EXPECT_DOUBLE_EQ(values.blur_base, row.radius * 0.004);
  }
  EXPECT_EQ(DeriveRadiusValues(1).blur_base, 0.004);
}

TEST(DeriveRadiusValues, RadiusZeroHasNoBlurAndAnUnusedPad) {
  const RadiusValues values = DeriveRadiusValues(0);
  EXPECT_EQ(values.blur_base, 0.0);
  EXPECT_EQ(values.edge_margin, 0);
  EXPECT_EQ(values.pad_size, -1);
}

}  // namespace
}  // namespace velmora
