// The pre-render's rectangle helpers: half-open, signed edges.

#include "effect/render/rect_union.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

bool Same(const PF_LRect& a, const PF_LRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(RectIsEmpty, NoPixelWhenAnEdgeMeetsOrPassesItsOpposite) {
  EXPECT_TRUE(RectIsEmpty({0, 0, 0, 0}));
  EXPECT_TRUE(RectIsEmpty({5, 0, 5, 10}));
  EXPECT_TRUE(RectIsEmpty({0, 7, 10, 3}));
  EXPECT_TRUE(RectIsEmpty({0, 0, -4, 10}));
  EXPECT_FALSE(RectIsEmpty({-20, -20, -19, -19}));
}

TEST(RectUnionInto, EmptySidesAndOverlaps) {
  const struct {
    PF_LRect source, destination, expected;
  } rows[] = {
      {{1, 2, 3, 4}, {0, 0, 0, 0}, {1, 2, 3, 4}},  // empty destination takes source
      {{1, 2, 3, 4}, {9, 9, 5, 5}, {1, 2, 3, 4}},  // so does an inverted one
      {{0, 0, 0, 0}, {1, 2, 3, 4}, {1, 2, 3, 4}},  // empty source changes nothing
      {{-20, 0, 120, 50}, {0, -5, 100, 40}, {-20, -5, 120, 50}},
      {{2, 2, 3, 3}, {0, 0, 10, 10}, {0, 0, 10, 10}},  // inside: unchanged
  };
  for (const auto& row : rows) {
    PF_LRect destination = row.destination;
    RectUnionInto(row.source, &destination);
    EXPECT_TRUE(Same(destination, row.expected))
        << destination.left << "," << destination.top << "," << destination.right << ","
        << destination.bottom;
  }
}

}  // namespace
}  // namespace velmora
