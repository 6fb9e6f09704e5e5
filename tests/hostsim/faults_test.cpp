// Fault injection: the nth host operation, the nth operation of a kind, the nth poll.
#include "hostsim/faults.h"

#include <gtest/gtest.h>

#include <string>

#include "hostsim/host.h"

namespace {

class FaultsTest : public ::testing::Test {
 protected:
  hostsim::Host host{VELMORA_MODULE_PATH};
  PF_InteractCallbacks& inter = host.in_data().inter;
  PF_ProgPtr ref = host.in_data().effect_ref;
  PF_Err Abort() { return inter.abort(ref); }
  PF_Err Progress() { return inter.progress(ref, 1, 2); }
};

TEST_F(FaultsTest, FailsOnlyTheNthOperationCountedFromNow) {
  Progress();
  host.faults().FailCall(2, PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(Abort(), PF_Err_NONE);
  EXPECT_EQ(Progress(), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(Abort(), PF_Err_NONE);
  EXPECT_EQ(host.faults().calls(), 4u);
}

TEST_F(FaultsTest, FailsTheNthOperationOfOneKind) {
  host.faults().FailOperation("progress", 2, PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(Progress(), PF_Err_NONE);
  EXPECT_EQ(Abort(), PF_Err_NONE);
  EXPECT_EQ(Progress(), PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(Progress(), PF_Err_NONE);
}

TEST_F(FaultsTest, AnInterruptionHoldsForTheRestOfTheCommand) {
  host.faults().AbortAtPoll(2);
  EXPECT_EQ(host.interruption(), PF_Err_NONE);  // the host's own polls are not counted
  EXPECT_EQ(Abort(), PF_Err_NONE);
  EXPECT_EQ(Abort(), PF_Interrupt_CANCEL);
  EXPECT_EQ(host.interruption(), PF_Interrupt_CANCEL);  // the host's services stop too
  EXPECT_EQ(Abort(), PF_Interrupt_CANCEL);
  EXPECT_EQ(host.faults().polls(), 3u);

  // The next command starts uninterrupted.
  std::string about;
  host.About(&about);
  EXPECT_EQ(host.interruption(), PF_Err_NONE);
  EXPECT_EQ(Abort(), PF_Err_NONE);
}

// The user's interruption from outside the effect's calls: it reaches the command in progress
// and every later one, until the host clears it before a frame it means to finish.
TEST_F(FaultsTest, AnInterruptionAskedOfTheHostHoldsUntilCleared) {
  host.Interrupt();
  EXPECT_EQ(Abort(), PF_Interrupt_CANCEL);
  EXPECT_EQ(host.interruption(), PF_Interrupt_CANCEL);
  std::string about;
  host.About(&about);  // a command started after the request sees it too
  EXPECT_EQ(host.interruption(), PF_Interrupt_CANCEL);
  EXPECT_EQ(Abort(), PF_Interrupt_CANCEL);

  host.ClearInterruption();
  EXPECT_EQ(host.interruption(), PF_Err_NONE);
  host.About(&about);
  EXPECT_EQ(Abort(), PF_Err_NONE);
  EXPECT_EQ(Progress(), PF_Err_NONE);
}

TEST_F(FaultsTest, ResetDisarmsAndRestartsTheCounts) {
  host.faults().FailCall(1, PF_Err_OUT_OF_MEMORY);
  host.faults().AbortAtPoll(1);
  host.faults().RefuseSuite(kPFHandleSuite);
  host.faults().Reset();
  EXPECT_EQ(host.faults().calls(), 0u);
  EXPECT_EQ(Abort(), PF_Err_NONE);
  const void* suite = nullptr;
  EXPECT_EQ(
      host.in_data().pica_basicP->AcquireSuite(kPFHandleSuite, kPFHandleSuiteVersion1, &suite),
      kSPNoError);
  host.in_data().pica_basicP->ReleaseSuite(kPFHandleSuite, kPFHandleSuiteVersion1);
}

}  // namespace
