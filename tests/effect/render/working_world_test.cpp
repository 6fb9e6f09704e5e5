#include "effect/render/working_world.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// Kept on purpose (docs/render.md): every edge goes through a signed 16-bit value. Edges inside
// the host's world limits pass unchanged; only beyond 32767 do they wrap.
TEST(Rect16, KeepsEachEdgeInASignedSixteenBitValue) {
  struct Row {
    PF_Rect given, kept;
  };
  const Row rows[] = {
      {{0, 0, 30512, 30512}, {0, 0, 30512, 30512}},  // the largest GlowWorld the host allows
      {{-250, -250, 32767, 5}, {-250, -250, 32767, 5}},
      {{-32769, 0, 32768, 65536}, {32767, 0, -32768, 0}},
  };
  for (const Row& row : rows) {
    const PF_Rect r = Rect16(row.given.left, row.given.top, row.given.right, row.given.bottom);
    EXPECT_EQ(r.left, row.kept.left);
    EXPECT_EQ(r.top, row.kept.top);
    EXPECT_EQ(r.right, row.kept.right);
    EXPECT_EQ(r.bottom, row.kept.bottom);
  }
}

}  // namespace
}  // namespace velmora
