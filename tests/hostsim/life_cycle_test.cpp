// The host drives the effect's commands and keeps what they hand back.
#include "tests/support/host_fixture.h"

namespace {

using LifeCycleTest = HostTest;

TEST_F(LifeCycleTest, SequenceDataIsKeptAndPassedBack) {
  Boot();
  PF_Handle sequence_data = host.in_data().sequence_data;
  ASSERT_NE(sequence_data, nullptr);
  EXPECT_TRUE(host.handles().Owns(sequence_data));
  EXPECT_EQ(host.SequenceResetup(), PF_Err_NONE);
  EXPECT_EQ(host.in_data().sequence_data, sequence_data);
}

}  // namespace
