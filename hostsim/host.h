#pragma once
// The simulated host: loads an effect module, serves its suites and callbacks, and drives
// its commands the way the real host does. One Host is current per process at a time
// (suites such as the basic suite carry no context argument): a second one is refused.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hostapi/host_api.h"
#include "hostsim/host_call.h"
#include "hostsim/layer_checkout.h"
#include "hostsim/param_store.h"
#include "hostsim/world_store.h"

namespace hostsim {

class EffectModule;
class Faults;
class HandleStore;
class SuiteRegistry;

// Frame timing and render settings the host puts in PF_InData for one frame.
struct FrameSettings {
  A_long current_time = 0;
  A_long time_step = 1;
  A_u_long time_scale = 24;
  A_u_long downsample = 1;  // 1 full resolution, 2 half, 4 quarter (both axes)
  PF_Quality quality = PF_Quality_HI;
  PF_Field field = PF_Field_FRAME;
  A_long origin_x = 0;  // the input world's origin_x / origin_y
  A_long origin_y = 0;
  // The host's own request for the output: by default the input's extent, all channels.
  std::optional<PF_Rect> request_rect;
  PF_ChannelMask channel_mask = PF_ChannelMask_ARGB;
};

// What a command left behind; all zero after a well-behaved sequence of commands.
struct Leaks {
  std::size_t handles = 0;
  std::size_t worlds = 0;
  std::size_t suites = 0;           // acquires not matched by releases
  std::size_t params = 0;           // checked out, not checked in
  std::size_t layers = 0;           // checkout_layer_pixels not matched by checkin_layer_pixels
  std::size_t aegp_refs = 0;        // effect refs, streams and stream values not disposed
  std::size_t pre_render_data = 0;  // pre-render data no delete function released
  std::size_t bad_releases = 0;     // releases of what this host never lent (or no longer)
  bool any() const {
    return handles || worlds || suites || params || layers || aegp_refs || pre_render_data ||
           bad_releases;
  }
};

class Host {
 public:
  explicit Host(const std::filesystem::path& module_path);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The host's life cycle; each returns the effect's error code.
  PF_Err GlobalSetup();
  PF_Err ParamsSetup();
  PF_Err SequenceSetup();
  PF_Err SequenceResetup();
  PF_Err SequenceSetdown();
  PF_Err GlobalSetdown();
  PF_Err About(std::string* text);  // the bytes of return_msg, as the effect wrote them
  PF_Err UpdateParamsUI();
  PF_Err UserChangedParam(PF_ParamIndex index);

  // Any command with the current records; extra as the command expects it.
  PF_Err Send(PF_Cmd cmd, void* extra = nullptr);

  // Pre-render then render one frame, as the host does: input world with its origin and
  // extent hint, downsampling, output world sized from the pre-render's result rectangle.
  // On success *output is a new world of this host (dispose with worlds().Dispose).
  // input is the layer at full resolution; at a downsampled frame the host scales it down
  // and in_data's width and height stay the full-resolution size, as in the real host.
  PF_Err RenderFrame(const World& input, const FrameSettings& settings, World** output);

  // A pre-render without a render, which the host may send. Its pre-render data stays with
  // the host until the next frame starts, FinishFrame, or the host goes away.
  PF_Err PreRender(const World& input, const FrameSettings& settings,
                   PF_PreRenderOutput* result = nullptr);
  // Ends the current frame: pre-render data goes to the effect's delete function (data
  // without one is counted in leaks().pre_render_data), the frame's own worlds are disposed.
  void FinishFrame();

  // How the host answers checkout_layer and checkout_layer_pixels; the calls of the last frame.
  LayerAnswer& layer_answer();
  const std::vector<LayerCheckout>& layer_checkouts() const;
  // Every PF_UpdateParamUI call, in order.
  const std::vector<ParamUIUpdate>& param_ui_updates() const;
  // The first host operation that refused during the last command and why, in words
  // ("AEGP_New: out of memory"); empty when none refused.
  std::string refusal() const;
  // The user interrupts, as by pressing a key or changing a control while a frame renders:
  // from any thread, the command in progress and every one sent after it see err when they
  // poll (the effect's abort check, progress, the host's own long services) until
  // ClearInterruption, which the host calls between commands, before a frame it means to
  // finish.
  void Interrupt(PF_Err err = PF_Interrupt_CANCEL);
  void ClearInterruption();
  // The interruption the host's own long services see when they poll (PF_Err_NONE: none).
  PF_Err interruption() const;
  // The last progress the effect or a host service reported.
  A_long progress_current() const;
  A_long progress_total() const;

  PF_InData& in_data();
  PF_OutData& out_data();
  ParamStore& params();
  WorldStore& worlds();
  Faults& faults();
  SuiteRegistry& suites();
  HandleStore& handles();
  const std::vector<HostCall>& journal() const;
  void ClearJournal();
  Leaks leaks() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace hostsim
