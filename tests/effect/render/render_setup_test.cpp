// The render's setup and exits through the real module: pass-through, placement, the opaque
// black backdrop, the tint colour's time, and the release path on every kind of failure.
// TearDown fails any test that leaves a world, a checkout, a suite or pre-render data behind.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "effect/params/params.h"
#include "effect/render/pixel_op_info.h"
#include "hostsim/suites/suites.h"
#include "tests/support/host_fixture.h"

namespace {

using hostsim::Depth;
using hostsim::FrameSettings;
using hostsim::World;
using velmora::PARAM_GAMMA;
using velmora::PARAM_INTENSITY;
using velmora::PARAM_RADIUS;
using velmora::PARAM_TINT_COLOR;
using velmora::PARAM_TINT_ENABLE;
using velmora::PARAM_UNMULTIPLY;

constexpr Depth kDepths[] = {Depth::k8, Depth::k16, Depth::k32};

// Straight colours with transparent and half-transparent pixels, all different.
PF_PixelFloat Pattern(A_long x, A_long y) {
  return PF_PixelFloat{static_cast<float>(x % 3) / 2.0f, static_cast<float>(x) / 16.0f,
                       static_cast<float>(y) / 16.0f, 0.3f};
}

bool SameBytes(const World& a, A_long ax, A_long ay, const World& b, A_long bx, A_long by,
               A_long width) {
  const std::size_t size = hostsim::PixelSize(a.depth);
  return std::memcmp(a.row(ay) + ax * size, b.row(by) + bx * size, width * size) == 0;
}

bool AllZero(const World& world, A_long x, A_long y, A_long width) {
  const std::size_t size = hostsim::PixelSize(world.depth);
  const std::byte* row = world.row(y) + x * size;
  return std::all_of(row, row + width * size, [](std::byte b) { return b == std::byte{0}; });
}

// What the host has lent out: every kind of leak, worlds counted among all live ones (the
// test's own included).
std::string Lent(hostsim::Host& host) {
  const hostsim::Leaks leaks = host.leaks();
  return testing::PrintToString(std::vector<std::size_t>{
      host.worlds().live(), leaks.handles, leaks.suites, leaks.params, leaks.layers,
      leaks.aegp_refs, leaks.pre_render_data, leaks.bad_releases});
}

bool Ran(const hostsim::Host& host, const std::string& op) {
  return std::any_of(host.journal().begin(), host.journal().end(),
                     [&](const hostsim::HostCall& call) { return call.op == op; });
}

class RenderSetupTest : public HostTest {
 protected:
  void SetUp() override { Boot(); }

  void SetControls(A_long radius, double intensity) {
    host.params()[PARAM_RADIUS].u.sd.value = radius;
    host.params()[PARAM_INTENSITY].u.fs_d.value = intensity;
  }
  void SetCheckbox(int index, bool on) { host.params()[index].u.bd.value = on; }
};

TEST_F(RenderSetupTest, NoGlowPassesTheInputThroughUnchanged) {
  // Gamma, tint and unmultiply on: none of them may touch a pass-through frame.
  SetCheckbox(PARAM_GAMMA, true);
  SetCheckbox(PARAM_TINT_ENABLE, true);
  SetCheckbox(PARAM_UNMULTIPLY, true);
  const struct {
    A_long radius;
    double intensity;
  } settings_rows[] = {{0, 1.0}, {25, 0.0}, {25, -2.0}};
  constexpr A_long kWidth = 12, kHeight = 9;

  for (Depth depth : kDepths) {
    const World& input = *MakeWorld(depth, kWidth, kHeight, Pattern);
    for (const auto& row : settings_rows) {
      for (bool layer_sized : {true, false}) {
        SCOPED_TRACE(testing::Message()
                     << "depth " << static_cast<int>(depth) << " radius " << row.radius
                     << " intensity " << row.intensity << " layer sized " << layer_sized);
        SetControls(row.radius, row.intensity);
        FrameSettings settings;
        host.layer_answer() = hostsim::LayerAnswer{};
        if (!layer_sized) {
          // A maximum extent wider than the layer: the output covers the layer's frame from
          // the origin, and the input lands at its origin.
          settings.origin_x = 3;
          settings.origin_y = 2;
          host.layer_answer().max_result_rect = PF_Rect{0, 0, kWidth + 20, kHeight};
        }
        World* output = nullptr;
        ASSERT_EQ(Render(input, settings, &output), PF_Err_NONE);
        const A_long dx = settings.origin_x, dy = settings.origin_y;
        ASSERT_EQ(output->width(), kWidth + dx);
        ASSERT_EQ(output->height(), kHeight + dy);
        for (A_long y = 0; y < output->height(); ++y) {
          const bool layer_row = y >= dy;
          EXPECT_TRUE(AllZero(*output, 0, y, layer_row ? dx : output->width())) << "row " << y;
          if (layer_row) {
            EXPECT_TRUE(SameBytes(*output, dx, y, input, 0, y - dy, kWidth)) << "row " << y;
          }
        }
        Dispose(output);
      }
    }
  }
}

TEST_F(RenderSetupTest, WithLayerSizedZeroTheLayerIsPlacedAtItsOrigin) {
  SetControls(8, 1.0);
  host.layer_answer().max_result_rect = PF_Rect{0, 0, 40, 30};
  FrameSettings settings;
  settings.origin_x = 10;
  settings.origin_y = 20;
  World* output = nullptr;
  ASSERT_EQ(Render(*MakeWorld(Depth::k8, 6, 4, Pattern), settings, &output), PF_Err_NONE);

  const auto placement =
      std::find_if(host.journal().begin(), host.journal().end(), [](const hostsim::HostCall& call) {
        return call.op == "transfer_rect" && call.comp_mode.xfer == PF_Xfer_ADD;
      });
  ASSERT_NE(placement, host.journal().end());
  EXPECT_EQ(placement->dest_x, 10);
  EXPECT_EQ(placement->dest_y, 20);
  ASSERT_TRUE(placement->src_rect.has_value());
  EXPECT_EQ(placement->src_rect->right, 6);
  EXPECT_EQ(placement->src_rect->bottom, 4);
  EXPECT_EQ(placement->comp_mode.opacity, 255);
  EXPECT_EQ(placement->comp_mode.opacitySu, 255);
}

TEST_F(RenderSetupTest, TransparentLayerBecomesOpaqueBlack) {
  SetControls(10, 1.0);
  SetCheckbox(PARAM_GAMMA, true);  // black stays black in both encodings
  for (Depth depth : kDepths) {
    SCOPED_TRACE(static_cast<int>(depth));
    World* output = nullptr;
    ASSERT_EQ(Render(*MakeWorld(depth, 10, 7, [](A_long, A_long) { return PF_PixelFloat{}; }),
                     FrameSettings{}, &output),
              PF_Err_NONE);
    const World& opaque_black = *MakeWorld(depth, 10, 7, [](A_long, A_long) {
      return PF_PixelFloat{1, 0, 0, 0};
    });
    for (A_long y = 0; y < 7; ++y) {
      EXPECT_TRUE(SameBytes(*output, 0, y, opaque_black, 0, y, 10)) << "row " << y;
    }
  }
}

// The tint colour is read at layer time 0, whatever the frame's time and the animation.
TEST_F(RenderSetupTest, AnimatedTintIsReadAtLayerTimeZero) {
  SetControls(6, 1.0);
  SetCheckbox(PARAM_TINT_ENABLE, true);
  const AEGP_ColorVal red{1, 1, 0, 0}, blue{1, 0, 0, 1};
  const World& input = *MakeWorld(Depth::k8, 8, 8, [](A_long x, A_long) {
    return x < 4 ? PF_PixelFloat{1, 1, 1, 1} : PF_PixelFloat{1, 0.2f, 0.5f, 0.8f};
  });
  const auto render_at = [&](A_long time) {
    FrameSettings settings;
    settings.current_time = time;  // time_scale 24
    World* output = nullptr;
    EXPECT_EQ(Render(input, settings, &output), PF_Err_NONE);
    return output;
  };

  host.params().SetColorKeyframes(PARAM_TINT_COLOR, {{0.0, red}, {1.0, blue}});
  const World* at_start = render_at(0);
  const World* later = render_at(20);
  host.params().SetColorKeyframes(PARAM_TINT_COLOR,
                                  {{0.0, host.params().ColorAt(PARAM_TINT_COLOR, 20.0 / 24)}});
  const World* tinted_as_later = render_at(20);
  ASSERT_TRUE(at_start && later && tinted_as_later);

  bool same_as_start = true, same_as_later_colour = true;
  for (A_long y = 0; y < 8; ++y) {
    same_as_start = same_as_start && SameBytes(*later, 0, y, *at_start, 0, y, 8);
    same_as_later_colour =
        same_as_later_colour && SameBytes(*later, 0, y, *tinted_as_later, 0, y, 8);
  }
  EXPECT_TRUE(same_as_start);
  EXPECT_FALSE(same_as_later_colour);
}

TEST_F(RenderSetupTest, NoInputPixelsGiveAClearedOutputAndSuccess) {
  SetControls(10, 1.0);
  host.layer_answer().give_input_pixels = false;
  World* output = nullptr;
  ASSERT_EQ(Render(*MakeWorld(Depth::k16, 5, 5, Pattern), FrameSettings{}, &output), PF_Err_NONE);
  EXPECT_TRUE(Ran(host, "utils_fill"));
  EXPECT_FALSE(Ran(host, "AEGP_New"));
  for (A_long y = 0; y < 5; ++y) EXPECT_TRUE(AllZero(*output, 0, y, 5));
}

TEST_F(RenderSetupTest, InterruptionAtTheFirstCheckpointTouchesNothing) {
  const World& input = *MakeWorld(Depth::k8, 6, 6, Pattern);
  host.faults().Reset();
  ASSERT_EQ(host.PreRender(input, FrameSettings{}), PF_Err_NONE);
  const std::size_t pre_render_calls = host.faults().calls();
  host.faults().Reset();

  host.faults().AbortAtPoll(1);
  World* output = nullptr;
  EXPECT_EQ(Render(input, FrameSettings{}, &output), PF_Interrupt_CANCEL);
  // The pre-render's calls and the one poll: no checkout, no suite, no world.
  EXPECT_EQ(host.faults().calls(), pre_render_calls + 1);
  EXPECT_EQ(host.faults().polls(), 1u);
  EXPECT_TRUE(host.journal().empty());
}

// A render whose pre-render byte never arrived must not report success with an untouched
// output: it answers out-of-memory and holds nothing.
TEST_F(RenderSetupTest, MissingPreRenderDataIsOutOfMemory) {
  PF_SmartRenderInput input{};
  input.bitdepth = 8;
  PF_SmartRenderCallbacks callbacks = hostsim::MakeSmartRenderCallbacks();
  PF_SmartRenderExtra extra{&input, &callbacks};
  host.faults().Reset();
  EXPECT_EQ(host.Send(PF_Cmd_SMART_RENDER, &extra), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host.faults().polls(), 1u);
  EXPECT_EQ(host.faults().calls(), 1u);  // the first checkpoint's poll
}

TEST_F(RenderSetupTest, UnknownPixelFormatIs516WithNothingAllocated) {
  SetControls(10, 1.0);
  World& input = *MakeWorld(Depth::k8, 6, 6, Pattern);
  // The host describes the input through a world of a kind it has no pixel format for.
  World& unknown = *MakeWorld(Depth::k8, 6, 6, Pattern);
  unknown.depth = static_cast<Depth>(9);
  void* const own = input.effect_world.reserved0;
  input.effect_world.reserved0 = &unknown;

  World* output = nullptr;
  EXPECT_EQ(Render(input, FrameSettings{}, &output), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_FALSE(Ran(host, "AEGP_New"));
  input.effect_world.reserved0 = own;
  unknown.depth = Depth::k8;
}

// Whatever step fails, its error comes back and the release path leaves nothing held
// (TearDown checks worlds, checkouts, suites and AEGP references).
TEST_F(RenderSetupTest, EveryFailureReturnsItsErrorThroughTheReleasePath) {
  const struct {
    const char* op;
    std::size_t nth;
  } failures[] = {
      {"checkout_layer_pixels", 1},
      {"checkout_output", 1},
      {"checkout_param", 3},
      {"checkin_param", 1},
      {"AEGP_GetNewStreamValue", 1},
      {"PF_GetPixelFormat", 1},
      {"AEGP_New", 1},
      {"AEGP_New", 2},
      {"fill", 1},
      {"copy_hq", 1},
      {"iterate8", 1},
      {"transfer_rect", 1},
      {"copy", 1},
  };
  SetControls(12, 1.0);
  SetCheckbox(PARAM_GAMMA, true);
  const World& input = *MakeWorld(Depth::k8, 9, 7, Pattern);
  const std::string lent_before = Lent(host);
  for (const auto& failure : failures) {
    SCOPED_TRACE(testing::Message() << failure.op << " #" << failure.nth);
    host.faults().Reset();
    host.faults().FailOperation(failure.op, failure.nth, PF_Err_INTERNAL_STRUCT_DAMAGED);
    World* output = nullptr;
    EXPECT_EQ(Render(input, FrameSettings{}, &output), PF_Err_INTERNAL_STRUCT_DAMAGED);
    host.FinishFrame();
    EXPECT_EQ(Lent(host), lent_before);
  }
}

// The release path checks the input in on every exit once it was asked for, a failed checkout
// included: the output's failure comes one host call later (the input's checkout worked) and
// ends with the same check-in.
TEST_F(RenderSetupTest, AFailedInputCheckoutIsCheckedInAllTheSame) {
  SetControls(12, 1.0);
  const World& input = *MakeWorld(Depth::k8, 9, 7, Pattern);
  std::size_t calls[2] = {};
  const char* failing[2] = {"checkout_layer_pixels", "checkout_output"};
  for (int i = 0; i < 2; ++i) {
    host.faults().Reset();
    host.faults().FailOperation(failing[i], 1, PF_Err_INTERNAL_STRUCT_DAMAGED);
    World* output = nullptr;
    EXPECT_EQ(Render(input, FrameSettings{}, &output), PF_Err_INTERNAL_STRUCT_DAMAGED);
    calls[i] = host.faults().calls();
    host.FinishFrame();
  }
  EXPECT_EQ(calls[1], calls[0] + 1);
}

// With gamma on the layer is decoded to linear light before the opaque black goes behind it: a
// half-transparent 0.5 becomes 0.214 x 0.5 = 0.107 in SourceWorld, not the 0.051 of decoding
// after. A level opacity of 0 (intensity 0.001) lets SourceWorld through to the output, where
// it is encoded again.
TEST_F(RenderSetupTest, GammaDecodesTheLayerBeforeTheBlackBackdrop) {
  SetControls(10, 0.001);
  SetCheckbox(PARAM_GAMMA, true);
  const auto half = [](A_long, A_long) { return PF_PixelFloat{0.5f, 0.5f, 0.5f, 0.5f}; };
  World* output = nullptr;
  ASSERT_EQ(Render(*MakeWorld(Depth::k32, 4, 4, half), FrameSettings{}, &output), PF_Err_NONE);
  const double linear = std::pow((0.5 + 0.055) / 1.055, 2.4) * 0.5;  // 0.107
  ASSERT_NEAR(linear, 0.107, 5e-4);
  const double encoded = 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
  const PF_PixelFloat& out = *output->pixel<PF_PixelFloat>(2, 1);
  EXPECT_NEAR(out.alpha, 1.0, 1e-6);
  for (float channel : {out.red, out.green, out.blue}) EXPECT_NEAR(channel, encoded, 1e-4);
}

// in_data's quality reaches the transfers of the placement, the backdrop and the tint; the
// glow levels always composite at low quality.
TEST_F(RenderSetupTest, TheRendersQualityReachesPlacementBackdropAndTint) {
  SetControls(8, 1.0);
  SetCheckbox(PARAM_TINT_ENABLE, true);
  host.params()[velmora::PARAM_TINT_MODE].u.pd.value = velmora::TINT_MODE_SOFT;
  host.layer_answer().max_result_rect = PF_Rect{0, 0, 40, 30};  // placed at the origin
  const World& input = *MakeWorld(Depth::k8, 6, 4, Pattern);
  for (PF_Quality quality : {PF_Quality_LO, PF_Quality_HI}) {
    SCOPED_TRACE(quality);
    host.ClearJournal();
    FrameSettings settings;
    settings.quality = quality;
    World* output = nullptr;
    ASSERT_EQ(Render(input, settings, &output), PF_Err_NONE);
    host.FinishFrame();
    std::vector<PF_TransferMode> seen;
    for (const hostsim::HostCall& call : host.journal()) {
      if (call.op != "transfer_rect") continue;
      const PF_TransferMode xfer = call.comp_mode.xfer;
      if (xfer == PF_Xfer_ADD || xfer == PF_Xfer_BEHIND || xfer == PF_Xfer_SOFT_LIGHT) {
        EXPECT_EQ(call.quality, quality) << "transfer mode " << xfer;
        seen.push_back(xfer);
      }
    }
    EXPECT_EQ(seen,
              (std::vector<PF_TransferMode>{PF_Xfer_ADD, PF_Xfer_BEHIND, PF_Xfer_SOFT_LIGHT}));
  }
}

// The record every float pixel operation receives, taken as the host's iterate suite is called.
struct RecordSpy {
  static inline const PF_IterateFloatSuite1* real = nullptr;
  static inline std::vector<velmora::PixelOpInfo> records;
  static PF_Err Iterate(PF_InData* in_data, A_long base, A_long final, PF_EffectWorld* src,
                        const PF_Rect* area, void* refcon, PF_IteratePixelFloatFunc function,
                        PF_EffectWorld* dst) {
    records.push_back(*static_cast<const velmora::PixelOpInfo*>(refcon));
    return real->iterate(in_data, base, final, src, area, refcon, function, dst);
  }
};

// The record's radius field holds BlurBase (the radius in this frame's pixels x 0.004) for
// every pixel operation, from the first (the sRGB decode) to the last.
TEST_F(RenderSetupTest, PixelOperationsReceiveBlurBaseInTheRadiusField) {
  RecordSpy::real = static_cast<const PF_IterateFloatSuite1*>(
      host.suites().Find(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1));
  ASSERT_NE(RecordSpy::real, nullptr);
  PF_IterateFloatSuite1 spy = *RecordSpy::real;
  spy.iterate = RecordSpy::Iterate;
  host.suites().Add(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, &spy);
  SetCheckbox(PARAM_GAMMA, true);  // decode and encode: the first and last pixel operations
  const World& input = *MakeWorld(Depth::k32, 24, 16, Pattern);

  const struct {
    A_long radius;
    A_u_long downsample;
    double blur_base;
  } cases[] = {{100, 1, 0.4}, {100, 2, 0.2}, {1, 1, 0.004}, {500, 4, 0.5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "radius " << c.radius << " downsample " << c.downsample);
    SetControls(c.radius, 1.0);
    RecordSpy::records.clear();
    FrameSettings settings;
    settings.downsample = c.downsample;
    World* output = nullptr;
    ASSERT_EQ(Render(input, settings, &output), PF_Err_NONE);
    ASSERT_GE(RecordSpy::records.size(), 2u);
    for (const velmora::PixelOpInfo& record : RecordSpy::records) {
      EXPECT_NEAR(record.radius, c.blur_base, 1e-12);
      EXPECT_EQ(record.output_width, output->width());
      EXPECT_EQ(record.gamma, 1);
    }
    Dispose(output);
  }
  host.suites().Add(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, RecordSpy::real);
}

TEST_F(RenderSetupTest, RefusedSuitesEndTheRenderWith516AndNothingHeld) {
  SetControls(12, 1.0);
  SetCheckbox(PARAM_GAMMA, true);
  const World& input = *MakeWorld(Depth::k8, 9, 7, Pattern);
  const std::string lent_before = Lent(host);
  for (const char* suite : {"PF World Suite", "AEGP World Suite", "PF World Transform Suite",
                            "PF Iterate8 Suite", "AEGP Stream Suite", "AEGP Effect Suite"}) {
    SCOPED_TRACE(suite);
    hostsim::Host& h = host;
    h.out_data().return_msg[0] = '\0';
    h.faults().Reset();
    h.faults().RefuseSuite(suite);
    World* output = nullptr;
    EXPECT_EQ(Render(input, FrameSettings{}, &output), PF_Err_BAD_CALLBACK_PARAM);
    h.FinishFrame();
    EXPECT_EQ(Lent(h), lent_before);
    if (std::string(suite) == "PF World Suite") {
      EXPECT_EQ(std::string(h.out_data().return_msg), "Couldn't load suite.");
      EXPECT_TRUE(h.out_data().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    }
  }
}

}  // namespace
