// The image suites as the effect meets them: acquired through the host's basic suite, with
// worlds the host lends, bad arguments refused, calls journalled and faults injected.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "tests/hostsim/suite_access.h"
#include "tests/support/host_fixture.h"

namespace {

using hostsim::Depth;
using hostsim::World;

// One suite held for the length of a test.
template <class Suite>
class Held {
 public:
  Held(hostsim::Host& host, const char* name, A_long version)
      : host_(host),
        name_(name),
        version_(version),
        suite_(AcquireSuite<Suite>(host, name, version)) {}
  ~Held() {
    if (suite_) ReleaseSuite(host_, name_, version_);
  }
  const Suite* operator->() const { return suite_; }
  explicit operator bool() const { return suite_ != nullptr; }

 private:
  hostsim::Host& host_;
  const char* name_;
  A_long version_;
  const Suite* suite_;
};

class ImageSuitesTest : public HostTest {
 protected:
  std::optional<Held<AEGP_WorldSuite3>> aegp;
  std::optional<Held<PF_WorldSuite2>> pf_world;
  std::optional<Held<PF_WorldTransformSuite1>> transform;
  std::optional<Held<PF_FillMatteSuite2>> fill;
  std::optional<Held<PF_Iterate8Suite1>> iterate8;
  PF_ProgPtr ref() { return host.in_data().effect_ref; }

  void SetUp() override {
    aegp.emplace(host, kAEGPWorldSuite, kAEGPWorldSuiteVersion3);
    pf_world.emplace(host, kPFWorldSuite, kPFWorldSuiteVersion2);
    transform.emplace(host, kPFWorldTransformSuite, kPFWorldTransformSuiteVersion1);
    fill.emplace(host, kPFFillMatteSuite, kPFFillMatteSuiteVersion2);
    iterate8.emplace(host, kPFIterate8Suite, kPFIterate8SuiteVersion1);
    ASSERT_TRUE(*aegp && *pf_world && *transform && *fill && *iterate8);
  }
  // The suites go back before the fixture counts what was left behind.
  void TearDown() override {
    aegp.reset();
    pf_world.reset();
    transform.reset();
    fill.reset();
    iterate8.reset();
    HostTest::TearDown();
  }
};

TEST_F(ImageSuitesTest, AegpWorldsAreLentDescribedAndCounted) {
  const std::pair<AEGP_WorldType, PF_PixelFormat> types[] = {
      {AEGP_WorldType_8, PF_PixelFormat_ARGB32},
      {AEGP_WorldType_16, PF_PixelFormat_ARGB64},
      {AEGP_WorldType_32, PF_PixelFormat_ARGB128}};
  const std::size_t before = host.worlds().live();
  for (auto [type, format] : types) {
    AEGP_WorldH handle = nullptr;
    ASSERT_EQ((*aegp)->AEGP_New(0, type, 7, 5, &handle), A_Err_NONE);
    EXPECT_EQ(host.worlds().live(), before + 1);
    EXPECT_EQ(host.leaks().worlds, 1u);

    PF_EffectWorld description{};
    ASSERT_EQ((*aegp)->AEGP_FillOutPFEffectWorld(handle, &description), A_Err_NONE);
    EXPECT_EQ(description.width, 7);
    EXPECT_EQ(description.height, 5);
    EXPECT_NE(description.data, nullptr);
    PF_PixelFormat got = PF_PixelFormat_INVALID;
    ASSERT_EQ((*pf_world)->PF_GetPixelFormat(&description, &got), PF_Err_NONE);
    EXPECT_EQ(got, format);
    AEGP_WorldType got_type = AEGP_WorldType_NONE;
    ASSERT_EQ((*aegp)->AEGP_GetType(handle, &got_type), A_Err_NONE);
    EXPECT_EQ(got_type, type);

    // The description the effect keeps serves every service.
    const PF_Pixel white{255, 255, 255, 255};
    ASSERT_EQ((*fill)->fill(ref(), &white, nullptr, &description), PF_Err_NONE);
    ASSERT_EQ((*aegp)->AEGP_FastBlur(0.4, PF_MF_Alpha_STRAIGHT, PF_Quality_HI, handle), A_Err_NONE);

    ASSERT_EQ((*aegp)->AEGP_Dispose(handle), A_Err_NONE);
    EXPECT_EQ(host.worlds().live(), before);
    EXPECT_NE((*aegp)->AEGP_Dispose(handle), A_Err_NONE);  // twice: refused, not a crash
  }

  PF_EffectWorld own{};
  ASSERT_EQ((*pf_world)->PF_NewWorld(ref(), 3, 2, true, PF_PixelFormat_ARGB64, &own), PF_Err_NONE);
  EXPECT_EQ(own.world_flags & PF_WorldFlag_DEEP, PF_WorldFlag_DEEP);
  ASSERT_EQ((*pf_world)->PF_DisposeWorld(ref(), &own), PF_Err_NONE);
  EXPECT_EQ(host.worlds().live(), before);
}

TEST_F(ImageSuitesTest, BadArgumentsAreRefusedNeverFollowed) {
  World* world = MakeWorldOf<PF_Pixel>(4, 4, [](A_long, A_long) { return PF_Pixel{}; });
  PF_EffectWorld& good = world->effect_world;
  PF_EffectWorld forged = good;
  int not_a_world = 0;
  forged.reserved0 = &not_a_world;
  PF_EffectWorld disposed_copy{};
  {
    World* gone = host.worlds().Create(Depth::k8, 2, 2);
    disposed_copy = gone->effect_world;
    host.worlds().Dispose(gone);
  }
  PF_CompositeMode add{};
  add.xfer = PF_Xfer_ADD;
  add.opacity = 255;
  PF_MaskWorld mask{};
  const PF_Pixel colour{255, 1, 2, 3};
  const PF_Pixel16 colour16{32768, 1, 2, 3};
  AEGP_WorldH handle = nullptr;
  PF_PixelFormat format = 0;
  auto bogus_handle = reinterpret_cast<AEGP_WorldH>(&not_a_world);
  auto no_op = [](void*, A_long, A_long, PF_Pixel*, PF_Pixel*) -> PF_Err { return PF_Err_NONE; };

  const std::pair<const char*, std::function<A_long()>> calls[] = {
      {"copy from nothing",
       [&] { return (*transform)->copy(ref(), nullptr, &good, nullptr, nullptr); }},
      {"copy to a forged world",
       [&] { return (*transform)->copy(ref(), &good, &forged, nullptr, nullptr); }},
      {"copy_hq from a disposed world",
       [&] { return (*transform)->copy_hq(ref(), &disposed_copy, &good, nullptr, nullptr); }},
      {"transfer without a mode",
       [&] {
         return (*transform)
             ->transfer_rect(ref(), 0, 1, 0, nullptr, &good, nullptr, nullptr, 0, 0, &good);
       }},
      {"transfer with a mask",
       [&] {
         return (*transform)
             ->transfer_rect(ref(), 0, 1, 0, nullptr, &good, &add, &mask, 0, 0, &good);
       }},
      {"transfer onto a forged world",
       [&] {
         return (*transform)
             ->transfer_rect(ref(), 0, 1, 0, nullptr, &good, &add, nullptr, 0, 0, &forged);
       }},
      {"fill nothing", [&] { return (*fill)->fill(ref(), &colour, nullptr, nullptr); }},
      {"fill16 a forged world",
       [&] { return (*fill)->fill16(ref(), &colour16, nullptr, &forged); }},
      {"premultiply a disposed world",
       [&] { return (*fill)->premultiply(ref(), 0, &disposed_copy); }},
      {"iterate onto nothing",
       [&] {
         return (*iterate8)->iterate(&host.in_data(), 0, 1, &good, nullptr, nullptr, no_op,
                                     nullptr);
       }},
      {"iterate from a forged world",
       [&] {
         return (*iterate8)->iterate(&host.in_data(), 0, 1, &forged, nullptr, nullptr, no_op,
                                     &good);
       }},
      {"iterate without a function",
       [&] {
         return (*iterate8)->iterate(&host.in_data(), 0, 1, &good, nullptr, nullptr, nullptr,
                                     &good);
       }},
      {"AEGP_New of type 0",
       [&] { return (*aegp)->AEGP_New(0, AEGP_WorldType_NONE, 2, 2, &handle); }},
      {"AEGP_New of type 4", [&] { return (*aegp)->AEGP_New(0, 4, 2, 2, &handle); }},
      {"AEGP_New of a negative size",
       [&] { return (*aegp)->AEGP_New(0, AEGP_WorldType_8, -2, 2, &handle); }},
      {"AEGP_New with nowhere to put it",
       [&] { return (*aegp)->AEGP_New(0, AEGP_WorldType_8, 2, 2, nullptr); }},
      {"AEGP_Dispose of a bogus handle", [&] { return (*aegp)->AEGP_Dispose(bogus_handle); }},
      {"AEGP_FastBlur of nothing", [&] { return (*aegp)->AEGP_FastBlur(2.0, 1, 1, nullptr); }},
      {"AEGP_FillOutPFEffectWorld of a bogus handle",
       [&] { return (*aegp)->AEGP_FillOutPFEffectWorld(bogus_handle, &forged); }},
      {"PF_GetPixelFormat of nothing",
       [&] { return (*pf_world)->PF_GetPixelFormat(nullptr, &format); }},
      {"PF_GetPixelFormat of a forged world",
       [&] { return (*pf_world)->PF_GetPixelFormat(&forged, &format); }},
      {"PF_NewWorld of an unknown format",
       [&] { return (*pf_world)->PF_NewWorld(ref(), 2, 2, true, PF_PixelFormat_BGRA32, &forged); }},
  };
  for (const auto& [what, call] : calls) {
    EXPECT_EQ(call(), PF_Err_BAD_CALLBACK_PARAM) << what;
  }
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(host.worlds().live(), 1u);
}

TEST_F(ImageSuitesTest, SlotsThisHostDoesNotOfferAnswerWithAnError) {
  World* world = MakeWorldOf<PF_Pixel>(2, 2, [](A_long, A_long) { return PF_Pixel{}; });
  PF_EffectWorld* w = &world->effect_world;
  const PF_Pixel colour{};
  AEGP_PlatformWorldH platform = nullptr;
  AEGP_WorldH handle = nullptr;
  EXPECT_NE((*transform)->composite_rect(ref(), nullptr, 255, w, 0, 0, 0, PF_Xfer_COPY, w),
            PF_Err_NONE);
  EXPECT_NE((*transform)->blend(ref(), w, w, 0x8000, w), PF_Err_NONE);
  EXPECT_NE(
      (*transform)->transform_world(ref(), 0, 1, 0, w, nullptr, nullptr, nullptr, 0, 0, nullptr, w),
      PF_Err_NONE);
  EXPECT_NE((*fill)->premultiply_color(ref(), w, &colour, 1, w), PF_Err_NONE);
  EXPECT_NE((*iterate8)->iterate_lut(&host.in_data(), 0, 1, w, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, w),
            PF_Err_NONE);
  EXPECT_NE((*aegp)->AEGP_NewPlatformWorld(0, AEGP_WorldType_8, 2, 2, &platform), A_Err_NONE);
  EXPECT_NE((*aegp)->AEGP_NewReferenceFromPlatformWorld(0, platform, &handle), A_Err_NONE);
  EXPECT_EQ(host.worlds().live(), 1u);
}

TEST_F(ImageSuitesTest, CallsAreJournalledWithWhatTheEffectAsked) {
  World* source = MakeWorldOf<PF_Pixel>(4, 4, [](A_long, A_long) {
    return PF_Pixel{255, 9, 9, 9};
  });
  World* target = MakeWorldOf<PF_Pixel>(4, 4, [](A_long, A_long) { return PF_Pixel{}; });
  PF_CompositeMode screen{};
  screen.xfer = PF_Xfer_SCREEN;
  screen.opacity = 127;
  screen.opacitySu = 127;
  const PF_Rect rect{1, 1, 3, 3};
  host.ClearJournal();
  ASSERT_EQ(
      (*transform)
          ->transfer_rect(ref(), PF_Quality_LO, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, &rect,
                          &source->effect_world, &screen, nullptr, 2, 0, &target->effect_world),
      PF_Err_NONE);
  const PF_Pixel16 grey{32768, 16384, 16384, 16384};
  PF_EffectWorld deep{};
  AEGP_WorldH handle = nullptr;
  ASSERT_EQ((*aegp)->AEGP_New(0, AEGP_WorldType_16, 6, 3, &handle), A_Err_NONE);
  ASSERT_EQ((*aegp)->AEGP_FillOutPFEffectWorld(handle, &deep), A_Err_NONE);
  ASSERT_EQ((*fill)->fill16(ref(), &grey, nullptr, &deep), PF_Err_NONE);
  ASSERT_EQ((*aegp)->AEGP_FastBlur(0.4000000059604645, PF_MF_Alpha_STRAIGHT, PF_Quality_HI, handle),
            A_Err_NONE);
  ASSERT_EQ((*aegp)->AEGP_Dispose(handle), A_Err_NONE);

  const auto& journal = host.journal();
  ASSERT_EQ(journal.size(), 6u);
  const hostsim::HostCall& transfer = journal[0];
  EXPECT_EQ(transfer.op, "transfer_rect");
  EXPECT_EQ(transfer.src_world, source);
  EXPECT_EQ(transfer.dst_world, target);
  ASSERT_TRUE(transfer.src_rect.has_value());
  EXPECT_EQ(transfer.src_rect->left, 1);
  EXPECT_EQ(transfer.src_rect->bottom, 3);
  EXPECT_EQ(transfer.dest_x, 2);
  EXPECT_EQ(transfer.comp_mode.xfer, PF_Xfer_SCREEN);
  EXPECT_EQ(transfer.comp_mode.opacity, 127);
  EXPECT_EQ(transfer.mode_flags, PF_MF_Alpha_STRAIGHT);
  EXPECT_EQ(transfer.quality, PF_Quality_LO);

  EXPECT_EQ(journal[1].op, "AEGP_New");
  EXPECT_EQ(journal[1].world_type, AEGP_WorldType_16);
  EXPECT_EQ(journal[1].width, 6);
  EXPECT_EQ(journal[1].height, 3);
  EXPECT_EQ(journal[3].op, "fill16");
  ASSERT_TRUE(journal[3].color.has_value());
  EXPECT_EQ(journal[3].color->red, 16384.0f);
  EXPECT_EQ(journal[3].dst_world, reinterpret_cast<World*>(handle));
  EXPECT_EQ(journal[4].op, "AEGP_FastBlur");
  EXPECT_EQ(journal[4].radius, 0.4000000059604645);
  EXPECT_EQ(journal[4].quality, PF_Quality_HI);
  EXPECT_EQ(journal[5].op, "AEGP_Dispose");
}

TEST_F(ImageSuitesTest, AnInjectedFaultFailsTheCallAndLeavesTheImage) {
  World* source = MakeWorldOf<PF_PixelFloat>(3, 3, [](A_long, A_long) {
    return PF_PixelFloat{1, 2, 3, 4};
  });
  World* target = MakeWorldOf<PF_PixelFloat>(3, 3, [](A_long, A_long) { return PF_PixelFloat{}; });
  host.faults().FailOperation("copy", 1, PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(
      (*transform)->copy(ref(), &source->effect_world, &target->effect_world, nullptr, nullptr),
      PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(target->pixel<PF_PixelFloat>(1, 1)->red, 0.0f);
  EXPECT_EQ(
      (*transform)->copy(ref(), &source->effect_world, &target->effect_world, nullptr, nullptr),
      PF_Err_NONE);
  EXPECT_EQ(target->pixel<PF_PixelFloat>(1, 1)->red, 2.0f);

  // A failed disposal is reported, but the world goes all the same: the effect cannot retry.
  AEGP_WorldH handle = nullptr;
  ASSERT_EQ((*aegp)->AEGP_New(0, AEGP_WorldType_32, 2, 2, &handle), A_Err_NONE);
  const std::size_t live = host.worlds().live();
  host.faults().FailOperation("AEGP_Dispose", 1, PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ((*aegp)->AEGP_Dispose(handle), PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(host.worlds().live(), live - 1);
}

TEST_F(ImageSuitesTest, FillsOfAWorldsOwnDepthStoreTheirColourExactly) {
  World* eight = MakeWorldOf<PF_Pixel>(1, 1, [](A_long, A_long) { return PF_Pixel{}; });
  World* deep = MakeWorldOf<PF_Pixel16>(1, 1, [](A_long, A_long) { return PF_Pixel16{}; });
  for (int v = 0; v <= 255; ++v) {
    const auto c = static_cast<A_u_char>(v);
    const PF_Pixel colour{c, c, static_cast<A_u_char>(255 - v), c};
    ASSERT_EQ((*fill)->fill(ref(), &colour, nullptr, &eight->effect_world), PF_Err_NONE);
    const PF_Pixel& got = *eight->pixel<PF_Pixel>(0, 0);
    ASSERT_EQ(got.alpha, colour.alpha);
    ASSERT_EQ(got.green, colour.green);
  }
  for (int v = 0; v <= 32768; v += v < 32760 ? 7 : 1) {
    const auto c = static_cast<A_u_short>(v);
    const PF_Pixel16 colour{c, c, static_cast<A_u_short>(32768 - v), c};
    ASSERT_EQ((*fill)->fill16(ref(), &colour, nullptr, &deep->effect_world), PF_Err_NONE);
    const PF_Pixel16& got = *deep->pixel<PF_Pixel16>(0, 0);
    ASSERT_EQ(got.alpha, colour.alpha);
    ASSERT_EQ(got.green, colour.green);
  }
}

TEST_F(ImageSuitesTest, FillsConvertTheirColourToTheWorldsDepth) {
  World* floating =
      MakeWorldOf<PF_PixelFloat>(2, 2, [](A_long, A_long) { return PF_PixelFloat{}; });
  World* eight = MakeWorldOf<PF_Pixel>(2, 2, [](A_long, A_long) { return PF_Pixel{}; });
  World* deep = MakeWorldOf<PF_Pixel16>(2, 2, [](A_long, A_long) { return PF_Pixel16{}; });
  const PF_Pixel orange{255, 255, 51, 0};
  ASSERT_EQ((*fill)->fill(ref(), &orange, nullptr, &floating->effect_world), PF_Err_NONE);
  EXPECT_FLOAT_EQ(floating->pixel<PF_PixelFloat>(1, 1)->green, 0.2f);
  const PF_Pixel16 half{32768, 16384, 0, 32768};
  ASSERT_EQ((*fill)->fill16(ref(), &half, nullptr, &eight->effect_world), PF_Err_NONE);
  EXPECT_EQ(eight->pixel<PF_Pixel>(0, 1)->red, 128);
  const PF_PixelFloat bright{1, 2.0f, 0.25f, 0};
  ASSERT_EQ((*fill)->fill_float(ref(), &bright, nullptr, &deep->effect_world), PF_Err_NONE);
  EXPECT_EQ(deep->pixel<PF_Pixel16>(1, 0)->red, 32768);
  EXPECT_EQ(deep->pixel<PF_Pixel16>(1, 0)->green, 8192);

  // The utility callback's fill with neither colour nor rectangle clears the world.
  PF_InData& in_data = host.in_data();
  ASSERT_EQ(in_data.utils->fill(in_data.effect_ref, nullptr, nullptr, &deep->effect_world),
            PF_Err_NONE);
  EXPECT_EQ(deep->pixel<PF_Pixel16>(1, 1)->alpha, 0);
  EXPECT_EQ(deep->pixel<PF_Pixel16>(1, 1)->red, 0);
}

}  // namespace
