// Parameters as the host keeps them: declarations, checkouts that must be checked in, and
// colour keyframes read through checkout_param and through the effect's streams.
#include <gtest/gtest.h>

#include "tests/hostsim/suite_access.h"
#include "tests/support/host_fixture.h"

namespace {

constexpr int kTintColor = 5;  // the effect's colour parameter

AEGP_ColorVal Color(double a, double r, double g, double b) {
  return {a, r, g, b};
}

using ParamStoreTest = HostTest;

TEST_F(ParamStoreTest, DeclarationsBecomeCurrentValuesAtTheirDefaults) {
  Boot();
  const auto& declared = host.params().declared();
  ASSERT_EQ(host.params().size(), declared.size() + 1);
  EXPECT_EQ(host.params()[0].param_type, PF_Param_LAYER);
  for (std::size_t i = 0; i < declared.size(); ++i)
    EXPECT_EQ(host.params()[static_cast<int>(i) + 1].uu.id, declared[i].uu.id);
  EXPECT_THROW(host.params()[static_cast<int>(declared.size()) + 1], std::out_of_range);

  // Parameters can be added only during parameter setup.
  PF_ParamDef extra = declared[0];
  EXPECT_EQ(host.in_data().inter.add_param(host.in_data().effect_ref, -1, &extra),
            PF_Err_BAD_CALLBACK_PARAM);
}

TEST_F(ParamStoreTest, CheckoutsAreCountedUntilCheckedIn) {
  Boot();
  PF_InteractCallbacks& inter = host.in_data().inter;
  PF_ProgPtr ref = host.in_data().effect_ref;
  PF_ParamDef radius{}, intensity{};
  ASSERT_EQ(inter.checkout_param(ref, 1, 0, 1, 24, &radius), PF_Err_NONE);
  ASSERT_EQ(inter.checkout_param(ref, 2, 0, 1, 24, &intensity), PF_Err_NONE);
  EXPECT_EQ(host.leaks().params, 2u);
  EXPECT_EQ(radius.u.sd.value, host.params()[1].u.sd.value);
  EXPECT_EQ(inter.checkout_param(ref, 99, 0, 1, 24, &radius), PF_Err_INVALID_INDEX);

  EXPECT_EQ(inter.checkin_param(ref, &radius), PF_Err_NONE);
  EXPECT_EQ(inter.checkin_param(ref, &intensity), PF_Err_NONE);
  EXPECT_EQ(host.leaks().params, 0u);
}

TEST_F(ParamStoreTest, KeyframedColourIsInterpolatedAtTheCheckoutTime) {
  Boot();
  host.params().SetColorKeyframes(kTintColor, {{2.0, Color(1, 0, 0, 1)}, {0.0, Color(1, 1, 0, 0)}});
  const struct {
    A_long time;  // at time scale 24
    PF_Pixel expected;
  } cases[] = {
      {-24, {255, 255, 0, 0}},                            // before the first key: held
      {0, {255, 255, 0, 0}},   {24, {255, 128, 0, 128}},  // halfway: 127.5 rounds up
      {36, {255, 64, 0, 191}}, {96, {255, 0, 0, 255}},    // after the last key: held
  };
  for (const auto& c : cases) {
    PF_ParamDef def{};
    ASSERT_EQ(host.in_data().inter.checkout_param(host.in_data().effect_ref, kTintColor, c.time, 1,
                                                  24, &def),
              PF_Err_NONE);
    const PF_Pixel& got = def.u.cd.value;
    EXPECT_EQ(got.alpha, c.expected.alpha) << c.time;
    EXPECT_EQ(got.red, c.expected.red) << c.time;
    EXPECT_EQ(got.blue, c.expected.blue) << c.time;
    host.in_data().inter.checkin_param(host.in_data().effect_ref, &def);
  }
}

// What the effect does to read its tint colour: effect ref, stream, value, then disposal.
class ColorStream {
 public:
  explicit ColorStream(hostsim::Host& host) : host_(host) {
    interface_ = AcquireSuite<AEGP_PFInterfaceSuite1>(host, kAEGPPFInterfaceSuite,
                                                      kAEGPPFInterfaceSuiteVersion1);
    streams_ = AcquireSuite<AEGP_StreamSuite4>(host, kAEGPStreamSuite, kAEGPStreamSuiteVersion4);
    effects_ = AcquireSuite<AEGP_EffectSuite2>(host, kAEGPEffectSuite, kAEGPEffectSuiteVersion2);
  }
  ~ColorStream() {
    ReleaseSuite(host_, kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1);
    ReleaseSuite(host_, kAEGPStreamSuite, kAEGPStreamSuiteVersion4);
    ReleaseSuite(host_, kAEGPEffectSuite, kAEGPEffectSuiteVersion2);
  }

  AEGP_ColorVal At(PF_ParamIndex index, AEGP_LTimeMode mode, A_Time time) {
    AEGP_EffectRefH effect = nullptr;
    AEGP_StreamRefH stream = nullptr;
    AEGP_StreamValue2 value{};
    EXPECT_EQ(interface_->AEGP_GetNewEffectForEffect(0, host_.in_data().effect_ref, &effect), 0);
    EXPECT_EQ(streams_->AEGP_GetNewEffectStreamByIndex(0, effect, index, &stream), 0);
    EXPECT_EQ(streams_->AEGP_GetNewStreamValue(0, stream, mode, &time, true, &value), 0);
    EXPECT_EQ(host_.leaks().aegp_refs, 3u);  // effect, stream, value
    EXPECT_EQ(streams_->AEGP_DisposeStreamValue(&value), 0);
    EXPECT_EQ(streams_->AEGP_DisposeStream(stream), 0);
    EXPECT_EQ(effects_->AEGP_DisposeEffect(effect), 0);
    return value.val.color;
  }

 private:
  hostsim::Host& host_;
  const AEGP_PFInterfaceSuite1* interface_;
  const AEGP_StreamSuite4* streams_;
  const AEGP_EffectSuite2* effects_;
};

void ExpectColor(const AEGP_ColorVal& got, const AEGP_ColorVal& expected) {
  EXPECT_DOUBLE_EQ(got.alphaF, expected.alphaF);
  EXPECT_DOUBLE_EQ(got.redF, expected.redF);
  EXPECT_DOUBLE_EQ(got.greenF, expected.greenF);
  EXPECT_DOUBLE_EQ(got.blueF, expected.blueF);
}

TEST_F(ParamStoreTest, StreamValuesFollowKeyframesOrTheCurrentColour) {
  Boot();
  ColorStream stream(host);
  host.params()[kTintColor].u.cd.value = PF_Pixel{255, 51, 102, 0};
  ExpectColor(stream.At(kTintColor, AEGP_LTimeMode_LayerTime, {0, 100}), Color(1, 0.2, 0.4, 0));

  host.params().SetColorKeyframes(kTintColor, {{0.0, Color(1, 1, 0, 0)}, {4.0, Color(0, 0, 1, 0)}});
  ExpectColor(stream.At(kTintColor, AEGP_LTimeMode_LayerTime, {0, 100}), Color(1, 1, 0, 0));
  ExpectColor(stream.At(kTintColor, AEGP_LTimeMode_CompTime, {100, 100}),
              Color(0.75, 0.75, 0.25, 0));
  ExpectColor(stream.At(kTintColor, AEGP_LTimeMode_LayerTime, {3, 1}), Color(0.25, 0.25, 0.75, 0));
}

}  // namespace
