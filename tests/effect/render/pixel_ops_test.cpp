// The per-pixel operations called directly, as the host's iteration would call them: in place,
// one pixel at a time. Integer depths must match exactly; float within a small tolerance,
// except where single and double precision are told apart.

#include "effect/render/pixel_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

#include "effect/render/pixel_op_info.h"

namespace velmora {
namespace {

template <typename Pixel>
using PixelFn = PF_Err (*)(void*, A_long, A_long, Pixel*, Pixel*);

template <typename Pixel>
Pixel RunInPlace(PixelFn<Pixel> op, Pixel pixel, const PixelOpInfo& info = {}) {
  PixelOpInfo refcon = info;
  EXPECT_EQ(op(&refcon, 3, 4, &pixel, &pixel), PF_Err_NONE);
  return pixel;
}

// One colour value in, all three colours out; alpha must pass through untouched.
template <typename Pixel>
struct ColorCase {
  decltype(Pixel::red) in;
  decltype(Pixel::red) expected;
};

template <typename Pixel>
void ExpectColorCases(PixelFn<Pixel> op, const std::vector<ColorCase<Pixel>>& cases,
                      const PixelOpInfo& info = {}) {
  using Channel = decltype(Pixel::red);
  for (const auto& c : cases) {
    const Pixel out = RunInPlace(op, Pixel{77, c.in, c.in, c.in}, info);
    SCOPED_TRACE(testing::Message() << "in " << +c.in);
    if constexpr (std::is_floating_point_v<Channel>) {
      EXPECT_NEAR(out.red, c.expected, 1e-6);
      EXPECT_NEAR(out.blue, c.expected, 1e-6);
    } else {
      EXPECT_EQ(+out.red, +c.expected);
      EXPECT_EQ(+out.green, +c.expected);
      EXPECT_EQ(+out.blue, +c.expected);
    }
    EXPECT_EQ(out.alpha, 77);
  }
}

using Case8 = ColorCase<PF_Pixel>;
using Case16 = ColorCase<PF_Pixel16>;
using CaseFloat = ColorCase<PF_PixelFloat>;

TEST(EncodeSrgb, TruncatesThroughPowAtEachDepth) {
  // 255 -> 254 because 1.055 - 0.055 is just below 1 in double; 1 -> 12 where rounding gives 13.
  ExpectColorCases<PF_Pixel>(EncodeSrgb8,
                             {Case8{0, 0}, {1, 12}, {128, 187}, {254, 254}, {255, 254}});
  ExpectColorCases<PF_Pixel16>(EncodeSrgb16, {Case16{0, 0}, {16384, 24096}, {32768, 32767}});
  ExpectColorCases<PF_PixelFloat>(
      EncodeSrgbFloat,
      {CaseFloat{1.0f, 1.0f}, {-0.1f, 0.0f}, {0.5f, 0.735357f}, {2.0f, 1.353256f}});
}

TEST(DecodeSrgb, TruncatesThroughPowAtEachDepth) {
  // 7 -> 0 where rounding would give 1; everything up to 12 is 0.
  ExpectColorCases<PF_Pixel>(
      DecodeSrgb8, {Case8{0, 0}, {7, 0}, {12, 0}, {13, 1}, {128, 55}, {254, 252}, {255, 255}});
  ExpectColorCases<PF_Pixel16>(DecodeSrgb16, {Case16{16384, 7013}, {32768, 32768}});
  ExpectColorCases<PF_PixelFloat>(DecodeSrgbFloat, {CaseFloat{0.5f, 0.214041f},
                                                    {2.0f, 4.953846f},
                                                    {-0.5f, 0.0f},
                                                    {0.04045f, 0.04045f / 12.92f}});
}

TEST(ScaleColor, LimitsAndTruncatesAtIntegerDepthsOnly) {
  PixelOpInfo info{};
  info.intensity = 1.5;
  ExpectColorCases<PF_Pixel>(ScaleColor8, {Case8{100, 150}, {101, 151}, {170, 255}, {200, 255}},
                             info);
  ExpectColorCases<PF_Pixel16>(ScaleColor16, {Case16{10000, 15000}, {21845, 32767}, {30000, 32768}},
                               info);
  ExpectColorCases<PF_PixelFloat>(ScaleColorFloat, {CaseFloat{0.8f, 1.2f}, {3.0f, 4.5f}}, info);
}

TEST(AddTint, AddsTheTintAtFullScale) {
  PixelOpInfo info{};
  info.tint_red = info.tint_green = info.tint_blue = 0.5;
  const struct { A_u_char in, expected; } rows8[] = {{0, 127}, {127, 254}, {128, 255}};
  for (const auto& row : rows8) {
    const PF_Pixel out = RunInPlace<PF_Pixel>(AddTint8, {0, row.in, row.in, row.in}, info);
    EXPECT_EQ(out.red, row.expected) << +row.in;
    EXPECT_EQ(out.blue, row.expected) << +row.in;
  }
  EXPECT_EQ(RunInPlace<PF_Pixel16>(AddTint16, {5, 0, 0, 0}, info).red, 16384);
  // Float is not limited.
  EXPECT_FLOAT_EQ(RunInPlace<PF_PixelFloat>(AddTintFloat, {1, 0.75f, 0, 0}, info).red, 1.25f);
}

TEST(MultiplyByTint, MultipliesEachColourByItsOwnTintComponent) {
  PixelOpInfo info{};
  info.tint_alpha = 1.0;
  info.tint_red = 0.5;
  info.tint_green = 1.0;
  info.tint_blue = 0.0;
  const PF_Pixel out = RunInPlace<PF_Pixel>(MultiplyByTint8, {0, 255, 3, 9}, info);
  EXPECT_EQ(out.red, 127);
  EXPECT_EQ(out.green, 3);
  EXPECT_EQ(out.blue, 0);
  info.tint_green = 0.5;
  EXPECT_EQ(RunInPlace<PF_Pixel>(MultiplyByTint8, {0, 0, 3, 0}, info).green, 1);
}

TEST(TintOperations, AlphaComesFromTheWholePartOfTintAlphaAtIntegerDepths) {
  struct Row {
    double tint_alpha;
    A_u_char alpha8;
    A_u_short alpha16;
    float alpha_float;
  };
  const Row rows[] = {{1.0, 255, 32768, 1.0f}, {0.99, 0, 0, 0.99f}, {0.0, 0, 0, 0.0f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tint_alpha);
    PixelOpInfo info{};
    info.tint_alpha = row.tint_alpha;
    for (auto op : {MultiplyByTint8, AddTint8}) {
      EXPECT_EQ(RunInPlace<PF_Pixel>(op, {200, 1, 2, 3}, info).alpha, row.alpha8);
    }
    for (auto op : {MultiplyByTint16, AddTint16}) {
      EXPECT_EQ(RunInPlace<PF_Pixel16>(op, {1, 1, 2, 3}, info).alpha, row.alpha16);
    }
    for (auto op : {MultiplyByTintFloat, AddTintFloat}) {
      EXPECT_FLOAT_EQ(RunInPlace<PF_PixelFloat>(op, {0.5f, 1, 2, 3}, info).alpha, row.alpha_float);
    }
  }
}

TEST(TintOperations, NegativeTintStoresZeroAtIntegerDepths) {
  PixelOpInfo info{};
  info.tint_red = -0.5;
  EXPECT_EQ(RunInPlace<PF_Pixel>(AddTint8, {0, 100, 0, 0}, info).red, 0);
  EXPECT_EQ(RunInPlace<PF_Pixel16>(MultiplyByTint16, {0, 100, 0, 0}, info).red, 0);
  EXPECT_FLOAT_EQ(RunInPlace<PF_PixelFloat>(AddTintFloat, {0, 0.25f, 0, 0}, info).red, -0.25f);
}

TEST(DesaturateAverage, IntegerDivisionAndSinglePrecisionFloat) {
  const PF_Pixel a = RunInPlace<PF_Pixel>(DesaturateAverage8, {9, 255, 0, 1});
  EXPECT_EQ(a.red, 85);
  EXPECT_EQ(a.green, 85);
  EXPECT_EQ(a.blue, 85);
  EXPECT_EQ(a.alpha, 9);
  EXPECT_EQ(RunInPlace<PF_Pixel>(DesaturateAverage8, {9, 1, 1, 0}).red, 0);
  EXPECT_EQ(RunInPlace<PF_Pixel16>(DesaturateAverage16, {9, 32768, 32768, 2}).green, 21846);

  // In single precision the average of (0.1, 0.1, 0.7) is 0.29999998; double gives 0.3.
  const PF_PixelFloat f = RunInPlace<PF_PixelFloat>(DesaturateAverageFloat, {1, 0.1f, 0.1f, 0.7f});
  EXPECT_EQ(f.red, ((0.1f + 0.1f) + 0.7f) / 3.0f);
  EXPECT_NE(f.red, static_cast<float>((double{0.1f} + double{0.1f} + double{0.7f}) / 3.0));
  EXPECT_EQ(f.blue, f.red);
}

TEST(DesaturateAverage, WritesIntoAnotherPixelAndLeavesTheSourceAlone) {
  PF_Pixel source{40, 30, 60, 90};
  PF_Pixel destination{};
  DesaturateAverage8(nullptr, 0, 0, &source, &destination);
  EXPECT_EQ(destination.alpha, 40);
  EXPECT_EQ(destination.red, 60);
  EXPECT_EQ(source.red, 30);
}

TEST(AlphaFromMaxChannel, BrightestColourBecomesAlphaAndColoursStay) {
  const PF_PixelFloat over =
      RunInPlace<PF_PixelFloat>(AlphaFromMaxChannelFloat, {0, 1.5f, .2f, .1f});
  EXPECT_EQ(over.alpha, 1.0f);
  EXPECT_EQ(over.red, 1.5f);
  EXPECT_EQ(over.green, 0.2f);
  EXPECT_EQ(RunInPlace<PF_PixelFloat>(AlphaFromMaxChannelFloat, {0, .25f, .5f, .125f}).alpha, .5f);
  // No lower limit in float.
  EXPECT_EQ(RunInPlace<PF_PixelFloat>(AlphaFromMaxChannelFloat, {1, -.5f, -.25f, -1}).alpha, -.25f);

  const PF_Pixel out8 = RunInPlace<PF_Pixel>(AlphaFromMaxChannel8, {0, 10, 200, 30});
  EXPECT_EQ(out8.alpha, 200);
  EXPECT_EQ(out8.red, 10);
  EXPECT_EQ(out8.blue, 30);
  // 16-bit channels can hold more than the host's full scale; alpha is limited to it.
  EXPECT_EQ(RunInPlace<PF_Pixel16>(AlphaFromMaxChannel16, {0, 33000, 5, 5}).alpha, 32768);
  EXPECT_EQ(RunInPlace<PF_Pixel16>(AlphaFromMaxChannel16, {0, 5, 20000, 5}).alpha, 20000);
}

// The host can hand NaN at float; tint values come from a stream and may hold one at any depth.
// A NaN stays in its own channel at float, stores 0 at the integer depths, and never makes the
// brightest-channel alpha depend on the channel order.
TEST(PixelOperations, NaNStaysInItsChannelAtFloatAndStoresZeroAtIntegerDepths) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  PixelOpInfo info{};
  info.intensity = 2.0;
  info.tint_alpha = 1.0;
  info.tint_red = 0.5;
  info.tint_green = 0.5;
  info.tint_blue = 0.5;
  for (auto op :
       {ScaleColorFloat, EncodeSrgbFloat, DecodeSrgbFloat, MultiplyByTintFloat, AddTintFloat}) {
    const PF_PixelFloat out = RunInPlace<PF_PixelFloat>(op, {1, nan, 0.25f, 0.5f}, info);
    EXPECT_TRUE(std::isnan(out.red));
    EXPECT_FALSE(std::isnan(out.green));
    EXPECT_FALSE(std::isnan(out.blue));
    EXPECT_EQ(out.alpha, 1.0f);
  }
  EXPECT_TRUE(std::isnan(RunInPlace<PF_PixelFloat>(DesaturateAverageFloat, {1, nan, 0, 0}).blue));

  for (const PF_PixelFloat in : {PF_PixelFloat{0, nan, .5f, .25f}, PF_PixelFloat{0, .5f, nan, .25f},
                                 PF_PixelFloat{0, .25f, .5f, nan}}) {
    EXPECT_EQ(RunInPlace<PF_PixelFloat>(AlphaFromMaxChannelFloat, in).alpha, .5f);
  }
  EXPECT_TRUE(
      std::isnan(RunInPlace<PF_PixelFloat>(AlphaFromMaxChannelFloat, {0, nan, nan, nan}).alpha));

  PixelOpInfo nan_tint{};
  nan_tint.tint_alpha = nan;
  nan_tint.tint_red = nan;
  for (auto op : {MultiplyByTint8, AddTint8}) {
    const PF_Pixel out = RunInPlace<PF_Pixel>(op, {200, 100, 0, 0}, nan_tint);
    EXPECT_EQ(out.red, 0);
    EXPECT_EQ(out.alpha, 0);
  }
  for (auto op : {MultiplyByTint16, AddTint16}) {
    const PF_Pixel16 out = RunInPlace<PF_Pixel16>(op, {200, 100, 0, 0}, nan_tint);
    EXPECT_EQ(out.red, 0);
    EXPECT_EQ(out.alpha, 0);
  }
}

}  // namespace
}  // namespace velmora
