// Bytes become one whole frame through the loaded effect (see frame_case.h). Frames stay small
// so the fuzzer runs many of them; the soak covers large ones.

#include "fuzz/frame_case.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static velmora_fuzz::EffectUnderTest effect(VELMORA_MODULE_PATH);
  velmora_fuzz::FuzzInput input(data, size);
  effect.Render(input, velmora_fuzz::FrameLimits{});
  return 0;
}
