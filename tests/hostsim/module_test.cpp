// Loading the effect module: clear errors for a missing file or a library that is no effect.
#include "hostsim/module.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "hostsim/host.h"

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

std::string LoadError(const char* path) {
  try {
    hostsim::EffectModule module(path);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "";
}

TEST(EffectModuleTest, MissingFileOrExportIsAClearError) {
  EXPECT_THAT(LoadError("/nonexistent/Velmora.so"),
              AllOf(HasSubstr("/nonexistent/Velmora.so"), HasSubstr("no such effect module")));
  EXPECT_THAT(
      LoadError(VELMORA_NO_ENTRY_MODULE_PATH),
      AllOf(HasSubstr(VELMORA_NO_ENTRY_MODULE_PATH), HasSubstr("exports no EntryPointFunc")));
}

// One host at a time: a host that failed to load is not current, so the next one starts; a
// second host beside a current one is refused.
TEST(EffectModuleTest, AHostThatFailedToLoadLeavesNoCurrentHost) {
  EXPECT_THROW(hostsim::Host("/nonexistent/Velmora.so"), std::runtime_error);
  hostsim::Host host(VELMORA_MODULE_PATH);
  EXPECT_THROW(hostsim::Host{VELMORA_MODULE_PATH}, std::logic_error);
}

}  // namespace
