// The tint colour and tint mode controls follow the tint checkbox, through the loaded module.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "tests/support/host_fixture.h"
#include "text/cp936.h"

namespace {

using text::Cp936ToUtf8;

constexpr int kTintEnable = 4, kTintColor = 5, kTintMode = 6;
constexpr PF_OutFlags kRefreshAndRerender = PF_OutFlag_REFRESH_UI | PF_OutFlag_FORCE_RERENDER;

class TintControlsTest : public HostTest {
 protected:
  void SetUp() override { Boot(); }

  // The two commands that lead to the same update.
  struct Command {
    const char* name;
    std::function<PF_Err(hostsim::Host&)> send;
  };
  static std::vector<Command> Commands() {
    return {{"UPDATE_PARAMS_UI", [](hostsim::Host& h) { return h.UpdateParamsUI(); }},
            {"USER_CHANGED_PARAM radius", [](hostsim::Host& h) { return h.UserChangedParam(1); }},
            {"USER_CHANGED_PARAM tint mode",
             [](hostsim::Host& h) { return h.UserChangedParam(kTintMode); }}};
  }
};

TEST_F(TintControlsTest, CheckboxEnablesOrGreysOutColourAndMode) {
  // Bits the host set on its own stay as they are; so does every value.
  host.params()[kTintColor].ui_flags |= PF_PUI_NO_ECW_UI;
  host.params()[kTintColor].u.cd.value = PF_Pixel{200, 10, 20, 30};
  host.params()[kTintMode].u.pd.value = 3;
  for (const Command& command : Commands()) {
    for (const A_long checkbox : {1, 0}) {
      SCOPED_TRACE(std::string(command.name) + (checkbox ? ", tint on" : ", tint off"));
      host.params()[kTintEnable].u.bd.value = checkbox;
      host.out_data().out_flags = PF_OutFlag_DEEP_COLOR_AWARE;
      const std::size_t before = host.param_ui_updates().size();
      ASSERT_EQ(command.send(host), PF_Err_NONE);
      EXPECT_EQ(host.out_data().out_flags, PF_OutFlag_DEEP_COLOR_AWARE | kRefreshAndRerender);

      const auto& updates = host.param_ui_updates();
      ASSERT_EQ(updates.size(), before + 2);
      const hostsim::ParamUIUpdate& color = updates[before];
      const hostsim::ParamUIUpdate& mode = updates[before + 1];
      EXPECT_EQ(color.index, kTintColor);
      EXPECT_EQ(mode.index, kTintMode);
      for (const hostsim::ParamUIUpdate* update : {&color, &mode}) {
        EXPECT_EQ((update->def.ui_flags & PF_PUI_DISABLED) != 0, checkbox == 0);
        EXPECT_NE(update->def.uu.change_flags & PF_ChangeFlag_CHANGED_VALUE, 0);
      }
      EXPECT_NE(color.def.ui_flags & PF_PUI_NO_ECW_UI, 0);
      EXPECT_EQ(Cp936ToUtf8(color.def.name), "色调");
      EXPECT_EQ(Cp936ToUtf8(mode.def.name), "色调模式");
      EXPECT_EQ(std::memcmp(&color.def.u.cd.value, &host.params()[kTintColor].u.cd.value,
                            sizeof(PF_Pixel)),
                0);
      EXPECT_EQ(mode.def.u.pd.value, 3);
    }
  }
}

TEST_F(TintControlsTest, RefusedColourUpdateSkipsTheModeButStillRefreshes) {
  for (const Command& command : Commands()) {
    SCOPED_TRACE(command.name);
    host.faults().Reset();
    host.faults().FailOperation("PF_UpdateParamUI", 1, PF_Err_INVALID_INDEX);
    host.out_data().out_flags = 0;
    const std::size_t before = host.param_ui_updates().size();
    EXPECT_EQ(command.send(host), PF_Err_INVALID_INDEX);
    EXPECT_EQ(host.param_ui_updates().size(), before);  // the mode was not tried either
    EXPECT_EQ(host.out_data().out_flags, kRefreshAndRerender);
  }
}

TEST_F(TintControlsTest, PrMrGetsNoUpdatesYetRefreshes) {
  host.in_data().appl_id = 0x50724D72;  // 'PrMr'
  for (const Command& command : Commands()) {
    SCOPED_TRACE(command.name);
    host.out_data().out_flags = 0;
    EXPECT_EQ(command.send(host), PF_Err_NONE);
    EXPECT_TRUE(host.param_ui_updates().empty());
    EXPECT_EQ(host.out_data().out_flags, kRefreshAndRerender);
  }
  EXPECT_EQ(host.suites().acquires(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion1), 0u);
}

}  // namespace
