// The pre-render through the real module: what it asks of the host, the rectangles it reports,
// LayerSized, and that its one byte never outlives the frame.

#include <malloc.h>

#include <optional>
#include <sstream>
#include <string>

#include "effect/params/params.h"
#include "effect/render/rect_union.h"
#include "tests/support/host_fixture.h"

namespace {

using hostsim::FrameSettings;

std::string Text(const PF_LRect& r) {
  std::ostringstream text;
  text << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
  return text.str();
}

class SmartPreRenderTest : public HostTest {
 protected:
  void SetUp() override { Boot(); }

  hostsim::World* Layer(A_long width, A_long height) {
    return MakeWorld(hostsim::Depth::k8, width, height, [](A_long, A_long) {
      return PF_PixelFloat{1, 1, 1, 1};
    });
  }
};

TEST_F(SmartPreRenderTest, RectanglesAndLayerSized) {
  struct Case {
    const char* name;
    A_long width, height;
    A_u_long downsample;
    std::optional<PF_Rect> result_answer, max_answer;
    std::optional<A_long> ref_width;
    A_u_char layer_sized;
    PF_LRect result, max;
  };
  const Case cases[] = {
      {"layer-sized", 64, 32, 1, {}, {}, {}, 1, {0, 0, 64, 32}, {0, 0, 64, 32}},
      // | |84| - |-20| | = 64: passes the size test, and the negative edge is kept.
      {"grown evenly",
       64,
       32,
       1,
       PF_Rect{-20, 0, 84, 32},
       PF_Rect{-20, 0, 84, 32},
       {},
       1,
       {-20, 0, 84, 32},
       {-20, 0, 84, 32}},
      // Fails: result pulled to the origin and pushed to the layer size; max to ref_width.
      {"grown on one side",
       64,
       32,
       1,
       PF_Rect{5, 3, 50, 20},
       PF_Rect{0, 0, 84, 32},
       100,
       0,
       {0, 0, 64, 32},
       {0, 0, 100, 32}},
      {"negative left edge kept when grown",
       64,
       32,
       1,
       PF_Rect{-7, -2, 70, 40},
       PF_Rect{-7, -2, 90, 40},
       {},
       0,
       {-7, -2, 70, 40},
       {-7, -2, 70, 40}},
      // 801 / 2 truncates to 400, the width of the host's half-resolution layer.
      {"half resolution, odd width", 801, 40, 2, {}, {}, {}, 1, {0, 0, 400, 20}, {0, 0, 400, 20}},
      // Downsampled and grown: the maximum still reaches the full-resolution width.
      {"half resolution, grown",
       801,
       40,
       2,
       {},
       PF_Rect{0, 0, 410, 20},
       {},
       0,
       {0, 0, 400, 20},
       {0, 0, 801, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    hostsim::LayerAnswer& answer = host.layer_answer();
    answer = hostsim::LayerAnswer{};
    answer.result_rect = c.result_answer;
    answer.max_result_rect = c.max_answer;
    answer.ref_width = c.ref_width;
    FrameSettings settings;
    settings.downsample = c.downsample;

    PF_PreRenderOutput output{};
    ASSERT_EQ(host.PreRender(*Layer(c.width, c.height), settings, &output), PF_Err_NONE);
    ASSERT_NE(output.pre_render_data, nullptr);
    EXPECT_EQ(*static_cast<const A_u_char*>(output.pre_render_data), c.layer_sized);
    EXPECT_EQ(Text(output.result_rect), Text(c.result));
    EXPECT_EQ(Text(output.max_result_rect), Text(c.max));
    EXPECT_EQ(output.flags & PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS,
              PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS);
    EXPECT_NE(output.delete_pre_render_data_func, nullptr);
    host.FinishFrame();
  }
}

TEST_F(SmartPreRenderTest, PassesTheHostsRequestOnWithAllFourChannels) {
  FrameSettings settings;
  settings.current_time = 36;
  settings.time_step = 2;
  settings.time_scale = 30;
  settings.field = PF_Field_UPPER;
  settings.request_rect = PF_Rect{3, 4, 20, 10};
  settings.channel_mask = PF_ChannelMask_ALPHA;
  ASSERT_EQ(host.PreRender(*Layer(32, 16), settings), PF_Err_NONE);

  ASSERT_EQ(host.layer_checkouts().size(), 1u);
  const hostsim::LayerCheckout& checkout = host.layer_checkouts()[0];
  EXPECT_EQ(checkout.index, 0);
  EXPECT_EQ(checkout.checkout_id, 0);
  EXPECT_EQ(checkout.request.channel_mask, PF_ChannelMask_ARGB);
  EXPECT_EQ(Text(checkout.request.rect), Text(PF_LRect{3, 4, 20, 10}));
  EXPECT_EQ(checkout.request.field, PF_Field_UPPER);
  EXPECT_EQ(checkout.what_time, 36);
  EXPECT_EQ(checkout.time_step, 2);
  EXPECT_EQ(checkout.time_scale, 30u);
}

TEST_F(SmartPreRenderTest, FailingCheckoutIsReturnedAndSetsNothing) {
  host.layer_answer().checkout_error = PF_Err_OUT_OF_MEMORY;
  PF_PreRenderOutput output{};
  EXPECT_EQ(host.PreRender(*Layer(16, 16), FrameSettings{}, &output), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(output.pre_render_data, nullptr);
  EXPECT_EQ(output.flags, 0);
  EXPECT_TRUE(velmora::RectIsEmpty(output.result_rect));
  EXPECT_TRUE(velmora::RectIsEmpty(output.max_result_rect));
}

// The host owns the byte once the pre-render returns and may never render. Hundreds of frames
// and bare pre-renders must leave nothing: the host hands every byte to the delete function
// (TearDown fails on pre-render data it could not release), and that function frees it.
TEST_F(SmartPreRenderTest, PreRenderDataNeverOutlivesItsFrame) {
  const hostsim::World* layer = Layer(8, 8);
  host.params()[velmora::PARAM_RADIUS].u.sd.value = 0;  // the quick pass-through render
  hostsim::World* output = nullptr;
  const auto round = [&] {
    for (int i = 0; i < 200; ++i) {
      ASSERT_EQ(host.PreRender(*layer, FrameSettings{}), PF_Err_NONE);
      host.FinishFrame();
      ASSERT_EQ(Render(*layer, FrameSettings{}, &output), PF_Err_NONE);
      Dispose(output);
    }
    host.ClearJournal();
  };
  round();  // warms up the allocator and the host's own containers
  const std::size_t in_use = mallinfo2().uordblks;
  round();
  // 400 leaked bytes would cost at least 400 heap chunks of 32 bytes.
  EXPECT_LT(mallinfo2().uordblks, in_use + 4096);
  EXPECT_EQ(host.leaks().pre_render_data, 0u);
}

}  // namespace
