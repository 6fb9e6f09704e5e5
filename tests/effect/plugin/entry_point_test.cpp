// The command table and the entry point's firewall, through the loaded module.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "tests/support/host_fixture.h"

namespace {

class EntryPointTest : public HostTest {};

TEST_F(EntryPointTest, UnhandledSelectorsSucceedAndTouchNothing) {
  // Among them the flatten, dialog and old-style render commands, the dynamic-flags query,
  // selectors past the last command, and negative ones, which an unsigned compare puts there.
  const PF_Cmd unhandled[] = {2,  7,  9,  10, 11, 12, 15, 16, 17,   18, 19,  20,
                              21, 22, 25, 26, 27, 28, 33, 34, 1000, -1, -24, INT_MIN};
  for (PF_Cmd cmd : unhandled) {
    SCOPED_TRACE(cmd);
    std::memset(&host.out_data(), 0xA5, sizeof(PF_OutData));
    PF_OutData before = host.out_data();
    EXPECT_EQ(host.Send(cmd), PF_Err_NONE);
    EXPECT_EQ(std::memcmp(&before, &host.out_data(), sizeof before), 0);
  }
  EXPECT_TRUE(host.journal().empty());
  EXPECT_EQ(host.faults().calls(), 0u);  // no host service was asked for anything
}

// A refused suite, or no basic suite at all, ends each handler that needs one with 516; the
// fixture checks that every suite acquired on the way was released.
TEST_F(EntryPointTest, MissingSuiteReachesTheHostAs516) {
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  ASSERT_EQ(host.ParamsSetup(), PF_Err_NONE);
  struct Case {
    const char* suite;  // null: the host offers no basic suite
    PF_Cmd cmd;
  };
  const Case cases[] = {
      {"PF ANSI Suite", PF_Cmd_ABOUT},
      {"PF Handle Suite", PF_Cmd_SEQUENCE_SETUP},
      {"PF Handle Suite", PF_Cmd_SEQUENCE_RESETUP},
      {"PF Param Utils Suite", PF_Cmd_UPDATE_PARAMS_UI},
      {"PF Param Utils Suite", PF_Cmd_USER_CHANGED_PARAM},
      {nullptr, PF_Cmd_ABOUT},
      {nullptr, PF_Cmd_GLOBAL_SETDOWN},
      {nullptr, PF_Cmd_SEQUENCE_SETUP},
      {nullptr, PF_Cmd_UPDATE_PARAMS_UI},
  };
  SPBasicSuite* basic = host.in_data().pica_basicP;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.suite ? c.suite : "no basic suite") + ", command " +
                 std::to_string(c.cmd));
    host.faults().Reset();
    if (c.suite) host.faults().RefuseSuite(c.suite);
    host.in_data().pica_basicP = c.suite ? basic : nullptr;
    host.out_data().sequence_data = nullptr;
    EXPECT_EQ(host.Send(c.cmd), PF_Err_BAD_CALLBACK_PARAM);
    host.in_data().pica_basicP = basic;
    EXPECT_EQ(host.out_data().sequence_data, nullptr);
  }
}

}  // namespace
