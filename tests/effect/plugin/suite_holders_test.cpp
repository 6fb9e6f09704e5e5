// SuiteHandler and SuiteScoper against the simulated host's basic suite: each suite is
// acquired under the host's name and version, and released exactly once on every path.
#include <gtest/gtest.h>

#include <string>

#include "effect/host_calls/suite_handler.h"
#include "effect/host_calls/suite_scoper.h"
#include "tests/support/host_fixture.h"

namespace {

using velmora::SuiteHandler;
using velmora::SuiteScoper;

class SuiteHoldersTest : public HostTest {
 protected:
  std::size_t Acquires(const char* name, A_long version) {
    return host.suites().acquires(name, version);
  }
  std::size_t Releases(const char* name, A_long version) {
    return host.suites().releases(name, version);
  }
};

TEST_F(SuiteHoldersTest, EachAccessorAsksForItsSuiteByTheHostsNameAndVersion) {
  struct Case {
    const void* (*get)(SuiteHandler&);
    const char* name;
    A_long version;
  };
  const Case cases[] = {
      {[](SuiteHandler& s) -> const void* { return s.HandleSuite1(); }, "PF Handle Suite", 2},
      {[](SuiteHandler& s) -> const void* { return s.ANSICallbacksSuite1(); }, "PF ANSI Suite", 1},
      {[](SuiteHandler& s) -> const void* { return s.FillMatteSuite2(); }, "PF Fill Matte Suite",
       2},
      {[](SuiteHandler& s) -> const void* { return s.Iterate8Suite1(); }, "PF Iterate8 Suite", 1},
      {[](SuiteHandler& s) -> const void* { return s.Iterate16Suite1(); }, "PF iterate16 Suite", 1},
      {[](SuiteHandler& s) -> const void* { return s.IterateFloatSuite1(); },
       "PF iterateFloat Suite", 1},
      {[](SuiteHandler& s) -> const void* { return s.WorldTransformSuite1(); },
       "PF World Transform Suite", 1},
      {[](SuiteHandler& s) -> const void* { return s.WorldSuite3(); }, "AEGP World Suite", 3},
      {[](SuiteHandler& s) -> const void* { return s.PFInterfaceSuite1(); },
       "AEGP PF Interface Suite", 1},
      {[](SuiteHandler& s) -> const void* { return s.StreamSuite4(); }, "AEGP Stream Suite", 9},
      {[](SuiteHandler& s) -> const void* { return s.EffectSuite2(); }, "AEGP Effect Suite", 2},
      {[](SuiteHandler& s) -> const void* { return s.ParamUtilsSuite1(); }, "PF Param Utils Suite",
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      SuiteHandler suites(host.in_data().pica_basicP);
      const void* first = c.get(suites);
      EXPECT_NE(first, nullptr);
      EXPECT_EQ(c.get(suites), first);  // later uses reuse the slot
      EXPECT_EQ(Acquires(c.name, c.version), 1u);
      EXPECT_EQ(Releases(c.name, c.version), 0u);
    }
    EXPECT_EQ(Releases(c.name, c.version), 1u);
  }
}

TEST_F(SuiteHoldersTest, HandlerReleasesWhatItHoldsWhenARefusalIsThrownThrough) {
  host.faults().RefuseSuite("PF Param Utils Suite");
  A_long thrown = 0;
  try {
    SuiteHandler suites(host.in_data().pica_basicP);
    suites.HandleSuite1();
    suites.ANSICallbacksSuite1();
    suites.ParamUtilsSuite1();
  } catch (const velmora::MissingSuite& missing) {
    thrown = missing.err;
  }
  EXPECT_EQ(thrown, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(Releases("PF Handle Suite", 2), 1u);
  EXPECT_EQ(Releases("PF ANSI Suite", 1), 1u);
  EXPECT_EQ(host.suites().unreleased(), 0u);
}

TEST_F(SuiteHoldersTest, ScoperHoldsForItsScopeOrReportsWhyNot) {
  PF_OutData& out = host.out_data();
  {
    SuiteScoper<PF_WorldSuite2> world(&host.in_data(), &out, kPFWorldSuite, kPFWorldSuiteVersion2);
    ASSERT_EQ(world.error(), PF_Err_NONE);
    EXPECT_NE(world.get(), nullptr);
    EXPECT_EQ(Acquires(kPFWorldSuite, kPFWorldSuiteVersion2), 1u);
  }
  EXPECT_EQ(Releases(kPFWorldSuite, kPFWorldSuiteVersion2), 1u);
  EXPECT_EQ(out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);

  host.faults().RefuseSuite(kPFWorldSuite);
  {
    SuiteScoper<PF_WorldSuite2> world(&host.in_data(), &out, kPFWorldSuite, kPFWorldSuiteVersion2,
                                      "Couldn't load suite.");
    EXPECT_EQ(world.error(), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(world.get(), nullptr);
  }
  EXPECT_NE(out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
  EXPECT_STREQ(out.return_msg, "Couldn't load suite.");

  PF_InData no_basic = host.in_data();
  no_basic.pica_basicP = nullptr;
  SuiteScoper<PF_WorldSuite2> none(&no_basic, &out, kPFWorldSuite, kPFWorldSuiteVersion2);
  EXPECT_EQ(none.error(), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_STREQ(out.return_msg, "Not able to acquire AEFX Suite.");
  EXPECT_EQ(host.suites().unreleased(), 0u);
}

TEST_F(SuiteHoldersTest, ScoperReleasesOnceWhenReleasedEarly) {
  SuiteScoper<PF_HandleSuite1> handles(&host.in_data(), &host.out_data(), kPFHandleSuite,
                                       kPFHandleSuiteVersion1);
  ASSERT_EQ(handles.error(), PF_Err_NONE);
  EXPECT_EQ(handles.Release(), PF_Err_NONE);
  EXPECT_EQ(handles.Release(), PF_Err_NONE);
  EXPECT_EQ(Releases(kPFHandleSuite, kPFHandleSuiteVersion1), 1u);
  // The destructor finds nothing left to give back; a second release would be a bad one.
}

}  // namespace
