// About, global setup and global setdown, through the loaded module.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/effect/plugin/host_words.h"
#include "tests/support/host_fixture.h"
#include "text/cp936.h"

namespace {

using text::Cp936ToUtf8;

constexpr A_long kApplIdPrMr = 0x50724D72;  // 'PrMr'

class GlobalTest : public HostTest {};

TEST_F(GlobalTest, GlobalSetupReportsVersionAndFlags) {
  ASSERT_EQ(host.GlobalSetup(), PF_Err_NONE);
  using namespace velmora_test;
  EXPECT_EQ(VersionText(host.out_data().my_version), kExpectedVersion);
  EXPECT_EQ(FlagNames(host.out_data().out_flags, kOutFlagBits), kExpectedOutFlags);
  EXPECT_EQ(FlagNames(host.out_data().out_flags2, kOutFlag2Bits), kExpectedOutFlags2);
  EXPECT_EQ(host.out_data().global_data, nullptr);
  EXPECT_EQ(host.faults().calls(), 0u);  // no suite, no handle
}

TEST_F(GlobalTest, AboutTextIsNameVersionAndDescription) {
  std::string text;
  ASSERT_EQ(host.About(&text), PF_Err_NONE);
  EXPECT_EQ(Cp936ToUtf8(text),
            "Velmora, v1.0.0\r"
            "\rVelmora是一个基于物理的辉光模拟器，模仿光物理和光的行为，与发光的方式."
            "\r十级多尺度辉光，屏幕或添加模式叠加。"
            "\r支持8位、16位和32位浮点色彩深度。"
            "\r可选色调、伽马校正与边缘像素重复。"
            "\rVelmora 开源项目，以 MIT 许可证发布。");
  // The host's sprintf writes into a 256-byte field: the text and its terminator must fit,
  // or a real host would overrun it (this one truncates and says so in its journal).
  EXPECT_LT(text.size(), sizeof(PF_OutData::return_msg));
  for (const hostsim::HostCall& call : host.journal())
    EXPECT_NE(call.op.rfind("text_truncated", 0), 0u) << call.op;
}

TEST_F(GlobalTest, AboutWritesNothingInPrMr) {
  host.in_data().appl_id = kApplIdPrMr;
  std::strcpy(host.out_data().return_msg, "left by the host");
  std::string text;
  EXPECT_EQ(host.About(&text), PF_Err_NONE);
  EXPECT_EQ(text, "left by the host");
  EXPECT_EQ(host.faults().calls(), 0u);
}

TEST_F(GlobalTest, GlobalSetdownDisposesAGlobalHandleOnceAndOnlyIfGiven) {
  EXPECT_EQ(host.GlobalSetdown(), PF_Err_NONE);  // null: nothing to dispose
  EXPECT_EQ(host.leaks().bad_releases, 0u);

  host.in_data().global_data = host.handles().New(16);
  ASSERT_NE(host.in_data().global_data, nullptr);
  EXPECT_EQ(host.GlobalSetdown(), PF_Err_NONE);
  // Not disposed leaves a live handle, disposed twice a bad release: the fixture sees both.
  EXPECT_EQ(host.handles().live(), 0u);
}

}  // namespace
