#include "fuzz/frame_case.h"

#include <cstdio>
#include <cstdlib>

#include "effect/params/params.h"
#include "hostsim/faults.h"

namespace velmora_fuzz {
namespace {

void Check(bool held, const char* what) {
  if (held) return;
  std::fprintf(stderr, "velmora frame case: %s\n", what);
  std::abort();
}

void SetControls(FuzzInput& input, const FrameLimits& limits, hostsim::ParamStore& params) {
  const bool wild = input.Byte() % 4 == 0 && limits.out_of_range_controls;
  params[velmora::PARAM_RADIUS].u.sd.value =
      wild ? input.Between(-1000, 1000) : input.Between(0, limits.max_radius);
  params[velmora::PARAM_INTENSITY].u.fs_d.value =
      wild ? static_cast<std::int32_t>(input.Word()) / 1000.0 : input.Between(0, 1100) / 100.0;
  params[velmora::PARAM_GLOW_MODE].u.pd.value = wild ? input.Between(-2, 5) : input.Between(1, 2);
  params[velmora::PARAM_TINT_ENABLE].u.bd.value = input.Flag();
  params[velmora::PARAM_TINT_COLOR].u.cd.value =
      PF_Pixel{input.Byte(), input.Byte(), input.Byte(), input.Byte()};
  params[velmora::PARAM_TINT_MODE].u.pd.value = wild ? input.Between(-2, 6) : input.Between(1, 3);
  params[velmora::PARAM_UNMULTIPLY].u.bd.value = input.Flag();
  params[velmora::PARAM_GAMMA].u.bd.value = input.Flag();
  params[velmora::PARAM_REPEAT_EDGES].u.bd.value = input.Flag();
}

// Returns whether a fault was armed; most frames run without one.
bool ArmFault(FuzzInput& input, hostsim::Faults& faults) {
  static const PF_Err kErrors[] = {PF_Err_OUT_OF_MEMORY, PF_Err_INTERNAL_STRUCT_DAMAGED,
                                   PF_Err_BAD_CALLBACK_PARAM};
  const auto kind = input.Byte() % 8;
  const auto nth = static_cast<std::size_t>(input.Between(1, 300));
  const PF_Err err = kErrors[input.Byte() % 3];
  switch (kind) {
    case 0:
      faults.AbortAtPoll(nth);
      return true;
    case 1:
      faults.FailCall(nth, err);
      return true;
    case 2:
      faults.FailHandleAlloc(nth % 8 + 1);
      return true;
    case 3:
      faults.FailHandleLock(nth % 8 + 1);
      return true;
    default:
      return false;
  }
}

// Raw bytes as pixels, repeated to fill the frame: at 32 bits they include NaN, infinities
// and huge values.
void FillPixels(std::span<const std::uint8_t> bytes, hostsim::World& world) {
  const std::size_t row_bytes = static_cast<std::size_t>(world.width()) * PixelSize(world.depth);
  if (bytes.empty()) return;
  std::size_t from = 0;
  for (A_long y = 0; y < world.height(); ++y) {
    std::byte* row = world.row(y);
    for (std::size_t i = 0; i < row_bytes; ++i, from = (from + 1) % bytes.size()) {
      row[i] = static_cast<std::byte>(bytes[from]);
    }
  }
}

}  // namespace

EffectUnderTest::EffectUnderTest(const char* module_path) : host_(module_path) {
  Check(host_.GlobalSetup() == PF_Err_NONE && host_.ParamsSetup() == PF_Err_NONE &&
            host_.SequenceSetup() == PF_Err_NONE,
        "the effect did not start");
  baseline_ = host_.leaks();
}

EffectUnderTest::~EffectUnderTest() {
  host_.SequenceSetdown();
  host_.GlobalSetdown();
}

FrameOutcome EffectUnderTest::Render(FuzzInput& input, const FrameLimits& limits) {
  FrameOutcome outcome;
  const auto depth = static_cast<hostsim::Depth>(input.Between(1, 3));
  outcome.width = input.Between(0, limits.max_side);
  outcome.height = input.Between(0, limits.max_side);
  hostsim::FrameSettings settings;
  settings.downsample = static_cast<A_u_long>(input.Between(1, 5));
  settings.current_time = input.Between(0, 100);
  SetControls(input, limits, host_.params());
  // The host journals every call for the tests; over thousands of frames that record alone
  // would look like a leak.
  host_.ClearJournal();
  host_.faults().Reset();
  outcome.fault_armed = ArmFault(input, host_.faults());

  hostsim::World* frame = host_.worlds().Create(depth, outcome.width, outcome.height);
  Check(frame != nullptr, "the host refused a frame size it allows");
  FillPixels(input.Rest(), *frame);

  hostsim::World* output = nullptr;
  outcome.err = host_.RenderFrame(*frame, settings, &output);
  Check((outcome.err == PF_Err_NONE) == (output != nullptr),
        "an output without success, or success without an output");
  if (output) host_.worlds().Dispose(output);
  host_.worlds().Dispose(frame);
  host_.faults().Reset();

  const hostsim::Leaks now = host_.leaks();
  Check(now.worlds == baseline_.worlds, "a world was left behind");
  Check(now.handles == baseline_.handles, "a handle was left behind");
  Check(now.suites == baseline_.suites, "a suite was not released");
  Check(now.params == baseline_.params, "a parameter is still checked out");
  Check(now.layers == baseline_.layers, "a layer is still checked out");
  Check(now.aegp_refs == baseline_.aegp_refs, "an AEGP reference was left behind");
  Check(now.pre_render_data == baseline_.pre_render_data, "pre-render data was not released");
  Check(now.bad_releases == baseline_.bad_releases, "something was released that was not lent");
  return outcome;
}

}  // namespace velmora_fuzz
