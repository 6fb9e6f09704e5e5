#pragma once
// One frame's render: host records, values, working worlds and the running error, passed
// through the stages setup -> edges -> glow levels -> tint and finish -> release.

#include <optional>

#include "effect/host_calls/suite_handler.h"
#include "effect/host_calls/suite_scoper.h"
#include "effect/host_calls/world_ops.h"
#include "effect/render/pixel_op_info.h"
#include "hostapi/host_api.h"

namespace velmora {

inline constexpr A_long GLOW_LEVEL_COUNT = 10;

struct RenderState {
  PF_InData* in_data = nullptr;
  PF_OutData* out_data = nullptr;
  PF_SmartRenderExtra* extra = nullptr;
  SuiteHandler* suites = nullptr;

  PixelOpInfo info{};
  bool input_requested = false;           // checkout_layer_pixels was called: check in at release
  PF_EffectWorld* input = nullptr;        // checked out from the host
  PF_EffectWorld* output = nullptr;       // checked out from the host
  const A_u_char* layer_sized = nullptr;  // LayerSized, the pre-render's byte; null: none
  // "PF World Suite", from the setup to the release; empty or not held (error()) otherwise.
  std::optional<SuiteScoper<PF_WorldSuite2>> world_suite;

  PF_PixelFormat pixel_format = PF_PixelFormat_INVALID;
  double blur_base = 0.0;  // BlurBase
  A_long edge_margin = 0;  // EdgeMargin
  A_long pad_size = 0;     // PadSize
  A_long progress_count = 0;

  HostWorld source_world;       // SourceWorld
  HostWorld backdrop_world;     // BackdropWorld
  HostWorld glow_world;         // GlowWorld
  HostWorld source_copy_world;  // SourceCopyWorld
  HostWorld level_world;        // LevelWorld
  HostWorld tint_world;         // TintWorld

  // The running error. Each step leaves its outcome here (Carry, Checkpoint:
  // effect/render/checkpoint.h) and returns whether the render goes on; each stage returns the
  // same, so the road stops at the first false.
  PF_Err err = PF_Err_NONE;
};

}  // namespace velmora
