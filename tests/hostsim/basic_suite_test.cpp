// The basic suite: suites by name and version, counted, and refused on request.
#include <gtest/gtest.h>

#include "hostsim/faults.h"
#include "hostsim/suite_registry.h"
#include "tests/hostsim/suite_access.h"

namespace {

class BasicSuiteTest : public ::testing::Test {
 protected:
  hostsim::Host host{VELMORA_MODULE_PATH};
  SPBasicSuite& basic = *host.in_data().pica_basicP;
};

TEST_F(BasicSuiteTest, CountsAcquiresAndReleasesPerNameAndVersion) {
  ASSERT_NE(AcquireSuite<PF_HandleSuite1>(host, kPFHandleSuite, kPFHandleSuiteVersion1), nullptr);
  ASSERT_NE(AcquireSuite<PF_HandleSuite1>(host, kPFHandleSuite, kPFHandleSuiteVersion1), nullptr);
  ASSERT_NE(AcquireSuite<PF_ANSICallbacksSuite1>(host, kPFANSISuite, kPFANSISuiteVersion1),
            nullptr);
  EXPECT_EQ(host.suites().acquires(kPFHandleSuite, kPFHandleSuiteVersion1), 2u);
  EXPECT_EQ(host.leaks().suites, 3u);

  EXPECT_EQ(ReleaseSuite(host, kPFHandleSuite, kPFHandleSuiteVersion1), kSPNoError);
  EXPECT_EQ(ReleaseSuite(host, kPFANSISuite, kPFANSISuiteVersion1), kSPNoError);
  EXPECT_EQ(host.leaks().suites, 1u);
  EXPECT_EQ(ReleaseSuite(host, kPFHandleSuite, kPFHandleSuiteVersion1), kSPNoError);
  EXPECT_FALSE(host.leaks().any());

  // A release with no acquire left to match is the effect's fault, not a negative count.
  EXPECT_NE(ReleaseSuite(host, kPFHandleSuite, kPFHandleSuiteVersion1), kSPNoError);
  EXPECT_EQ(host.leaks().suites, 0u);
  EXPECT_EQ(host.leaks().bad_releases, 1u);
}

TEST_F(BasicSuiteTest, UnknownOrRefusedSuitesAreNotFoundAndGiveNull) {
  host.faults().RefuseSuite(kAEGPWorldSuite);
  const struct {
    const char* name;
    A_long version;
  } cases[] = {
      {"No Such Suite", 1},
      {kPFHandleSuite, 1},  // the 32-bit version of the handle suite is not served
      {kAEGPStreamSuite, 4},
      {kAEGPWorldSuite, kAEGPWorldSuiteVersion3},  // refused
  };
  for (const auto& c : cases) {
    const void* suite = &basic;  // anything but null
    EXPECT_EQ(basic.AcquireSuite(c.name, c.version, &suite), kSPSuiteNotFoundError)
        << c.name << " " << c.version;
    EXPECT_EQ(suite, nullptr) << c.name;
  }
  EXPECT_EQ(host.leaks().suites, 0u);
}

TEST_F(BasicSuiteTest, ServesEverySuiteTheEffectUses) {
  const struct {
    const char* name;
    A_long version;
  } served[] = {
      {kPFHandleSuite, 2},         {kPFANSISuite, 1},      {kPFFillMatteSuite, 2},
      {kPFIterate8Suite, 1},       {kPFIterate16Suite, 1}, {kPFIterateFloatSuite, 1},
      {kPFWorldTransformSuite, 1}, {kAEGPWorldSuite, 3},   {kAEGPPFInterfaceSuite, 1},
      {kAEGPStreamSuite, 9},       {kAEGPEffectSuite, 2},  {kPFWorldSuite, 2},
      {kPFParamUtilsSuite, 2},
  };
  for (const auto& s : served) {
    EXPECT_NE(AcquireSuite<void>(host, s.name, s.version), nullptr) << s.name;
    EXPECT_EQ(ReleaseSuite(host, s.name, s.version), kSPNoError) << s.name;
  }
  EXPECT_FALSE(host.leaks().any());
}

}  // namespace
