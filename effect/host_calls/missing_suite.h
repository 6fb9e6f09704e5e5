#pragma once
// The one error the effect throws: a suite the host does not give. SuiteHandler throws it;
// SmartRender catches it to give back what the render holds, and EntryPointFunc catches it
// once and returns its code as the command's error.

#include "hostapi/host_api.h"

namespace velmora {

struct MissingSuite {
  PF_Err err = PF_Err_BAD_CALLBACK_PARAM;
};

}  // namespace velmora
