// The frame driver: what the host tells the effect about a frame, what it answers for the
// input layer, and what becomes of the pre-render data.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"

namespace {

void ExpectRect(const PF_Rect& got, const PF_Rect& expected) {
  EXPECT_EQ(got.left, expected.left);
  EXPECT_EQ(got.top, expected.top);
  EXPECT_EQ(got.right, expected.right);
  EXPECT_EQ(got.bottom, expected.bottom);
}

PF_PixelFloat Grey(A_long, A_long) {
  return {1, 0.5f, 0.5f, 0.5f};
}

using FrameTest = HostTest;

TEST_F(FrameTest, TheLayerCheckoutIsAnsweredFromTheInputPlacedAtItsOrigin) {
  Boot();
  hostsim::World* layer = MakeWorld(hostsim::Depth::k16, 40, 30, Grey);
  hostsim::FrameSettings settings;
  settings.origin_x = 10;
  settings.origin_y = 20;
  settings.request_rect = PF_Rect{0, 0, 30, 40};
  settings.channel_mask = PF_ChannelMask_RED;
  ASSERT_EQ(host.PreRender(*layer, settings), PF_Err_NONE);

  ASSERT_EQ(host.layer_checkouts().size(), 1u);
  const hostsim::LayerCheckout& checkout = host.layer_checkouts()[0];
  ExpectRect(checkout.request.rect, {0, 0, 30, 40});          // the host's request, passed on
  ExpectRect(checkout.result.result_rect, {10, 20, 30, 40});  // clipped to the input's extent
  ExpectRect(checkout.result.max_result_rect, {10, 20, 50, 50});
  EXPECT_EQ(checkout.result.ref_width, 40);
  EXPECT_EQ(checkout.result.ref_height, 30);
  EXPECT_EQ(host.in_data().width, 40);
}

TEST_F(FrameTest, ADownsampledFrameGivesTheLayerScaledDownAndTheFullSizeInInData) {
  Boot();
  hostsim::World* layer = MakeWorld(hostsim::Depth::k8, 65, 49, Grey);
  hostsim::FrameSettings settings;
  settings.downsample = 2;
  hostsim::World* output = nullptr;
  ASSERT_EQ(Render(*layer, settings, &output), PF_Err_NONE);

  EXPECT_EQ(host.in_data().width, 65);
  EXPECT_EQ(host.in_data().height, 49);
  EXPECT_EQ(host.in_data().downsample_x.den, 2u);
  EXPECT_EQ(host.in_data().downsample_y.den, 2u);
  const hostsim::LayerCheckout& checkout = host.layer_checkouts().at(0);
  ExpectRect(checkout.result.max_result_rect, {0, 0, 32, 24});
  EXPECT_EQ(checkout.result.ref_width, 65);
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(output->width(), 32);
  EXPECT_EQ(output->height(), 24);
}

TEST_F(FrameTest, AFailedCheckoutEndsTheFrameWithItsErrorAndNoOutput) {
  Boot();
  hostsim::World* layer = MakeWorld(hostsim::Depth::k32, 8, 8, Grey);
  host.layer_answer().checkout_error = PF_Err_OUT_OF_MEMORY;
  hostsim::World* output = nullptr;
  EXPECT_EQ(Render(*layer, {}, &output), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(output, nullptr);
  EXPECT_EQ(host.refusal(), "checkout_layer: out of memory");  // who refused, in words
}

TEST_F(FrameTest, TheFirstRefusalOfACommandIsKeptInWords) {
  Boot();
  hostsim::World* layer = MakeWorld(hostsim::Depth::k32, 8, 8, Grey);
  hostsim::World* output = nullptr;
  ASSERT_EQ(Render(*layer, {}, &output), PF_Err_NONE);
  EXPECT_EQ(host.refusal(), "");
  Dispose(output);
  host.faults().FailOperation("AEGP_FastBlur", 1, PF_Err_OUT_OF_MEMORY);
  EXPECT_NE(Render(*layer, {}, &output), PF_Err_NONE);
  EXPECT_EQ(host.refusal(), "AEGP_FastBlur: a fault injected for testing");
}

TEST(PreRenderDataTest, DataWithoutADeleteFunctionIsCountedNotFreed) {
  hostsim::Host host(VELMORA_LEAKY_MODULE_PATH);
  hostsim::World* layer = host.worlds().Create(hostsim::Depth::k8, 4, 4);
  ASSERT_EQ(host.PreRender(*layer, {}), PF_Err_NONE);
  EXPECT_EQ(host.leaks().pre_render_data, 0u);         // still the host's until the frame ends
  ASSERT_EQ(host.PreRender(*layer, {}), PF_Err_NONE);  // a new frame ends the last one
  EXPECT_EQ(host.leaks().pre_render_data, 1u);
  host.FinishFrame();
  EXPECT_EQ(host.leaks().pre_render_data, 2u);
  host.worlds().Dispose(layer);
}

}  // namespace
