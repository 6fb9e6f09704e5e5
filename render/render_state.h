#pragma once
// One frame's render: host records, values, working worlds and the running error, passed
// through the stages setup -> edges -> glow levels -> tint and finish -> release.

#include "hostapi/host_api.h"
#include "host/suite_handler.h"
#include "render/pixel_op_info.h"

namespace velmora {

inline constexpr A_long GLOW_LEVEL_COUNT = 10;

// An off-screen world of the host: the AEGP handle plus its effect-world description.
// A world whose handle is null does not exist.
struct HostWorld {
  AEGP_WorldH handle = nullptr;
  PF_EffectWorld world{};
  bool exists() const { return handle != nullptr; }
};

struct RenderState {
  PF_InData* in_data = nullptr;
  PF_OutData* out_data = nullptr;
  PF_SmartRenderExtra* extra = nullptr;
  SuiteHandler* suites = nullptr;

  PixelOpInfo info{};
  PF_EffectWorld* input = nullptr;   // checked out from the host
  PF_EffectWorld* output = nullptr;  // checked out from the host
  const A_u_char* layer_sized = nullptr;  // locked pre-render data
  bool world_suite_held = false;     // "PF World Suite" acquired by the setup

  PF_PixelFormat pixel_format = PF_PixelFormat_INVALID;
  double blur_base = 0.0;   // BlurBase
  A_long edge_margin = 0;   // EdgeMargin
  A_long pad_size = 0;      // PadSize
  A_long progress_count = 0;

  HostWorld source_world;       // SourceWorld
  HostWorld backdrop_world;     // BackdropWorld
  HostWorld glow_world;         // GlowWorld
  HostWorld source_copy_world;  // SourceCopyWorld
  HostWorld level_world;        // LevelWorld
  HostWorld tint_world;         // TintWorld

  PF_Err err = PF_Err_NONE;  // the running error: every step runs only while it is 0
};

}  // namespace velmora
