// Each instance's one-byte sequence data, through the loaded module.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"

namespace {

class SequenceTest : public HostTest {
 protected:
  void SetUp() override { ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE); }

  // The instance's handle as the host now holds it.
  PF_Handle Held() { return host.in_data().sequence_data; }

  void ExpectOneZeroByte(PF_Handle handle) {
    ASSERT_NE(handle, nullptr);
    ASSERT_TRUE(host.handles().Owns(handle));
    EXPECT_EQ(host.handles().Size(handle), 1u);
    const auto* byte = static_cast<const unsigned char*>(host.handles().Lock(handle));
    ASSERT_NE(byte, nullptr);
    EXPECT_EQ(*byte, 0);
    host.handles().Unlock(handle);
  }

  std::size_t HandleSuiteAcquires() {
    return host.suites().acquires(kPFHandleSuite, kPFHandleSuiteVersion1);
  }
};

TEST_F(SequenceTest, SetupHandsTheHostOneZeroByte) {
  ASSERT_EQ(host.SequenceSetup(), PF_Err_NONE);
  ExpectOneZeroByte(Held());
  EXPECT_EQ(host.handles().live(), 1u);
  EXPECT_EQ(host.SequenceSetdown(), PF_Err_NONE);
}

TEST_F(SequenceTest, SetupWithAnOldHandleDisposesItFirst) {
  PF_Handle old = host.handles().New(1);
  host.in_data().sequence_data = old;
  // The allocation fails, yet the old handle is gone: it was released before the new one
  // was asked for, and the host is not handed it back.
  host.faults().FailHandleAlloc(1);
  EXPECT_EQ(host.SequenceSetup(), PF_Err_OUT_OF_MEMORY);
  EXPECT_FALSE(host.handles().Owns(old));
  EXPECT_EQ(Held(), nullptr);

  PF_Handle older = host.handles().New(1);
  host.in_data().sequence_data = older;
  ASSERT_EQ(host.SequenceSetup(), PF_Err_NONE);
  ExpectOneZeroByte(Held());
  EXPECT_EQ(host.handles().live(), 1u);  // the new one only (it may reuse the old address)
  EXPECT_EQ(host.SequenceSetdown(), PF_Err_NONE);
}

TEST_F(SequenceTest, ResetupKeepsAHandleAndMakesOneWhenMissing) {
  ASSERT_EQ(host.SequenceSetup(), PF_Err_NONE);
  PF_Handle kept = Held();
  const std::size_t acquires = HandleSuiteAcquires();
  EXPECT_EQ(host.SequenceResetup(), PF_Err_NONE);
  EXPECT_EQ(Held(), kept);
  EXPECT_EQ(HandleSuiteAcquires(), acquires);
  EXPECT_EQ(host.handles().live(), 1u);
  EXPECT_EQ(host.SequenceSetdown(), PF_Err_NONE);

  EXPECT_EQ(host.SequenceResetup(), PF_Err_NONE);  // none held: set up anew
  ExpectOneZeroByte(Held());
  EXPECT_EQ(host.SequenceSetdown(), PF_Err_NONE);
}

TEST_F(SequenceTest, SetdownDisposesOnlyWhatItIsGiven) {
  EXPECT_EQ(host.SequenceSetdown(), PF_Err_NONE);
  EXPECT_EQ(HandleSuiteAcquires(), 0u);  // nothing to release, nothing acquired

  ASSERT_EQ(host.SequenceSetup(), PF_Err_NONE);
  EXPECT_EQ(host.SequenceSetdown(), PF_Err_NONE);
  EXPECT_EQ(host.handles().live(), 0u);  // a second disposal would be a bad release: fixture
}

TEST_F(SequenceTest, FailedAllocationOrLockReportsOutOfMemoryAndKeepsNothing) {
  struct Case {
    const char* what;
    void (hostsim::Faults::*arm)(std::size_t);
  };
  for (const Case& c : {Case{"allocation", &hostsim::Faults::FailHandleAlloc},
                        Case{"lock", &hostsim::Faults::FailHandleLock}}) {
    SCOPED_TRACE(c.what);
    (host.faults().*c.arm)(1);
    EXPECT_EQ(host.SequenceSetup(), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(Held(), nullptr);
    EXPECT_EQ(host.handles().live(), 0u);  // a handle that could not be locked is disposed
    host.faults().Reset();
  }
}

}  // namespace
