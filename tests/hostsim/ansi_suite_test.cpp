// The ANSI suite's text functions never write past the host's own text fields.
#include <gtest/gtest.h>

#include <string>

#include "tests/hostsim/suite_access.h"

namespace {

TEST(AnsiSuiteTest, TextIntoTheHostsMessageIsCutAtItsEnd) {
  hostsim::Host host(VELMORA_MODULE_PATH);
  const auto* ansi = AcquireSuite<PF_ANSICallbacksSuite1>(host, kPFANSISuite, kPFANSISuiteVersion1);
  ASSERT_NE(ansi, nullptr);
  const std::string long_text(400, 'x');
  PF_OutData& out = host.out_data();
  out.start_sampL = 0x5EED;  // the field right after return_msg

  EXPECT_EQ(ansi->sprintf(out.return_msg, "%s%d", long_text.c_str(), 7), 255);
  EXPECT_EQ(std::string(out.return_msg), long_text.substr(0, 255));
  EXPECT_EQ(out.start_sampL, 0x5EED);
  ansi->strcpy(out.name, long_text.c_str());
  EXPECT_EQ(std::string(out.name), long_text.substr(0, 31));
  ASSERT_EQ(host.journal().size(), 2u);
  EXPECT_EQ(host.journal()[0].op, "text_truncated:sprintf");

  // The effect's own buffers are its to size, as in the real host.
  char buffer[500];
  EXPECT_EQ(ansi->sprintf(buffer, "%s, v%d.%d", long_text.c_str(), 1, 0), 406);
  EXPECT_EQ(std::string(ansi->strcpy(buffer, "abc")), "abc");
  ReleaseSuite(host, kPFANSISuite, kPFANSISuiteVersion1);
}

}  // namespace
