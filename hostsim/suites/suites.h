#pragma once
// Every table the effect sees: the suites this host offers by name and version, and the
// callback blocks inside the host's records. Host construction puts them in place.

#include "hostapi/host_api.h"

namespace hostsim {

class SuiteRegistry;

// Each Register* adds one family of suites this host serves.
void RegisterHandleSuite(SuiteRegistry& registry);
void RegisterAnsiSuite(SuiteRegistry& registry);
void RegisterParamUtilsSuite(SuiteRegistry& registry);
void RegisterEffectStreamSuites(SuiteRegistry& registry);
// "AEGP World Suite" 3, "PF World Suite" 2, "PF World Transform Suite" 1,
// "PF Fill Matte Suite" 2 and the three iterate suites.
void RegisterImageSuites(SuiteRegistry& registry);
SPBasicSuite* BasicSuite();

// The callback blocks inside the host's records.
PF_InteractCallbacks MakeInteractCallbacks();
void FillUtilCallbacks(PF_UtilCallbacks& utils);
PF_PreRenderCallbacks MakePreRenderCallbacks();
PF_SmartRenderCallbacks MakeSmartRenderCallbacks();

}  // namespace hostsim
