#pragma once
// SuiteHandler: the effect's holder of host suites. Each suite is acquired from the host's
// basic suite on first use and released once, under its own name and version, when the
// holder goes away (also while a thrown MissingSuite passes through). "PF World Suite" is not
// here: the render holds it with a SuiteScoper, so a refusal is a returned error it carries.

#include "effect/host_calls/missing_suite.h"
#include "hostapi/host_api.h"

namespace velmora {

// Effects reach the AEGP suites without registering; the host takes id 0 from them.
inline constexpr AEGP_PluginID kEffectPluginId = 0;

class SuiteHandler {
 public:
  // Throws MissingSuite when the host offers no basic suite.
  explicit SuiteHandler(SPBasicSuite* basic);
  ~SuiteHandler();
  SuiteHandler(const SuiteHandler&) = delete;
  SuiteHandler& operator=(const SuiteHandler&) = delete;

  // Each accessor acquires on first use; a refused or null suite throws MissingSuite.
  PF_HandleSuite1* HandleSuite1();                  // "PF Handle Suite" 2
  PF_ANSICallbacksSuite1* ANSICallbacksSuite1();    // "PF ANSI Suite" 1
  PF_FillMatteSuite2* FillMatteSuite2();            // "PF Fill Matte Suite" 2
  PF_Iterate8Suite1* Iterate8Suite1();              // "PF Iterate8 Suite" 1
  PF_Iterate16Suite1* Iterate16Suite1();            // "PF iterate16 Suite" 1
  PF_IterateFloatSuite1* IterateFloatSuite1();      // "PF iterateFloat Suite" 1
  PF_WorldTransformSuite1* WorldTransformSuite1();  // "PF World Transform Suite" 1
  AEGP_WorldSuite3* WorldSuite3();                  // "AEGP World Suite" 3
  AEGP_PFInterfaceSuite1* PFInterfaceSuite1();      // "AEGP PF Interface Suite" 1
  AEGP_StreamSuite4* StreamSuite4();                // "AEGP Stream Suite" 9
  AEGP_EffectSuite2* EffectSuite2();                // "AEGP Effect Suite" 2
  PF_ParamUtilsSuite1* ParamUtilsSuite1();          // "PF Param Utils Suite" 2

 private:
  struct Slot;
  const void* Acquire(int slot);
  SPBasicSuite* basic_;
  const void* suites_[12] = {};
};

}  // namespace velmora
