#pragma once
// The effect's off-screen worlds: "AEGP World Suite" 3 (plug-in id 0) makes, disposes and blurs
// them; "PF World Suite" 2 tells a world's pixel format.

#include "effect/host_calls/suite_handler.h"
#include "hostapi/host_api.h"

namespace velmora {

// An off-screen world of the host: the AEGP handle plus its effect-world description.
// A world whose handle is null does not exist.
struct HostWorld {
  AEGP_WorldH handle = nullptr;
  PF_EffectWorld world{};
  bool exists() const { return handle != nullptr; }
};

// "PF World Suite" 2 is held by the render itself (SuiteScoper), so it is passed in.
PF_Err GetPixelFormat(const PF_WorldSuite2* world_suite, const PF_EffectWorld* world,
                      PF_PixelFormat* format);

// NewWorld fills world->world with the effect-world description; on failure world is left not
// existing. DisposeWorld does nothing to a world that does not exist and leaves it not
// existing in every case.
PF_Err NewWorld(SuiteHandler& suites, AEGP_WorldType type, A_long width, A_long height,
                HostWorld* world);
PF_Err DisposeWorld(SuiteHandler& suites, HostWorld* world);
// In place, straight alpha (mode 1), high quality (1).
PF_Err FastBlur(SuiteHandler& suites, double radius, HostWorld* world);

}  // namespace velmora
