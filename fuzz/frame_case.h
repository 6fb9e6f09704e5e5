#pragma once
// One frame through the loaded effect, described by bytes: the frame's size, depth and pixels,
// every control (values outside the declared ranges included), the preview downsampling, and
// now and then an interruption or a failing host operation. After each frame nothing the host
// lent may still be out: no world, handle, suite, checkout or pre-render data. A frame that
// leaves anything behind, or reports success without an output, aborts the process so a
// fuzzer or the soak stops right there.

#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "hostsim/host.h"

namespace velmora_fuzz {

// How far the bytes may take a frame.
struct FrameLimits {
  A_long max_side = 48;    // pixels on a side
  A_long max_radius = 60;  // the largest radius of the values a user can set
  // One frame in four sets controls the user cannot: popups past their choices, radii up to
  // twice the declared maximum and below zero, intensities far outside their range.
  bool out_of_range_controls = true;
};

struct FrameOutcome {
  PF_Err err = PF_Err_NONE;
  bool fault_armed = false;  // an interruption or a host failure was set for this frame
  A_long width = 0, height = 0;
};

class EffectUnderTest {
 public:
  // Loads the module and runs global, params and sequence setup; aborts when they fail.
  explicit EffectUnderTest(const char* module_path);
  ~EffectUnderTest();  // sequence and global setdown
  EffectUnderTest(const EffectUnderTest&) = delete;
  EffectUnderTest& operator=(const EffectUnderTest&) = delete;

  FrameOutcome Render(FuzzInput& input, const FrameLimits& limits);

  hostsim::Host& host() { return host_; }

 private:
  hostsim::Host host_;
  hostsim::Leaks baseline_;
};

}  // namespace velmora_fuzz
