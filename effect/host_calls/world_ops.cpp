#include "effect/host_calls/world_ops.h"

namespace velmora {

PF_Err GetPixelFormat(const PF_WorldSuite2* world_suite, const PF_EffectWorld* world,
                      PF_PixelFormat* format) {
  return world_suite->PF_GetPixelFormat(world, format);
}

PF_Err NewWorld(SuiteHandler& suites, AEGP_WorldType type, A_long width, A_long height,
                HostWorld* world) {
  *world = HostWorld{};
  AEGP_WorldH handle = nullptr;
  PF_Err err = suites.WorldSuite3()->AEGP_New(kEffectPluginId, type, width, height, &handle);
  if (err != PF_Err_NONE || handle == nullptr)
    return err != PF_Err_NONE ? err : PF_Err_OUT_OF_MEMORY;
  err = suites.WorldSuite3()->AEGP_FillOutPFEffectWorld(handle, &world->world);
  if (err != PF_Err_NONE) {
    suites.WorldSuite3()->AEGP_Dispose(handle);
    world->world = PF_EffectWorld{};
    return err;
  }
  world->handle = handle;
  return PF_Err_NONE;
}

PF_Err DisposeWorld(SuiteHandler& suites, HostWorld* world) {
  if (!world->exists()) return PF_Err_NONE;
  const PF_Err err = suites.WorldSuite3()->AEGP_Dispose(world->handle);
  *world = HostWorld{};
  return err;
}

PF_Err FastBlur(SuiteHandler& suites, double radius, HostWorld* world) {
  return suites.WorldSuite3()->AEGP_FastBlur(radius, PF_MF_Alpha_STRAIGHT, PF_Quality_HI,
                                             world->handle);
}

}  // namespace velmora
