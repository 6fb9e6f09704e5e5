#include "hostsim/host.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "hostsim/frame_downsample.h"
#include "hostsim/host_operation.h"
#include "hostsim/host_services.h"
#include "hostsim/module.h"
#include "hostsim/suites/suites.h"

namespace hostsim {

namespace {

constexpr A_long FourCharCode(const char (&code)[5]) {
  return static_cast<A_long>(static_cast<A_u_long>(code[0]) << 24 |
                             static_cast<A_u_long>(code[1]) << 16 |
                             static_cast<A_u_long>(code[2]) << 8 | static_cast<A_u_long>(code[3]));
}

// This host's application code: no real application's, so no effect takes a host-specific path.
constexpr A_long kApplicationId = FourCharCode("HSim");

bool IsSmartCommand(PF_Cmd cmd) {
  return cmd == PF_Cmd_SMART_PRE_RENDER || cmd == PF_Cmd_SMART_RENDER;
}

}  // namespace

struct Host::State {
  explicit State(const std::filesystem::path& module_path) : module(module_path) {}

  HostServices services;
  EffectModule module;
  PF_LayerDef output_layer{};  // the layer argument of non-SmartFX commands (unused by SmartFX)
  std::vector<PF_ParamDef> param_copies;
  std::vector<PF_ParamDef*> param_pointers;

  PF_PreRenderInput pre_input{};
  PF_PreRenderOutput pre_output{};
  PF_PreRenderCallbacks pre_callbacks = MakePreRenderCallbacks();
  PF_SmartRenderInput smart_input{};
  PF_SmartRenderCallbacks smart_callbacks = MakeSmartRenderCallbacks();
  World* scaled_input = nullptr;  // the layer at the frame's downsampling, when scaled
  void* pending_data = nullptr;   // pre-render data the host holds until the frame ends
  PF_DeletePreRenderDataFunc pending_delete = nullptr;
};

Host::Host(const std::filesystem::path& module_path) {
  if (CurrentServices()) throw std::logic_error("hostsim: another Host is current");
  state_ = std::make_unique<State>(module_path);
  HostServices& host = state_->services;

  SuiteRegistry& registry = host.suites;
  RegisterHandleSuite(registry);
  RegisterAnsiSuite(registry);
  RegisterParamUtilsSuite(registry);
  RegisterEffectStreamSuites(registry);
  RegisterImageSuites(registry);

  FillUtilCallbacks(host.utils);
  PF_InData& in = host.in_data;
  in.inter = MakeInteractCallbacks();
  in.utils = &host.utils;
  in.effect_ref = host.effect_ref();
  in.quality = PF_Quality_HI;
  in.version.major = 13;
  in.version.minor = 28;
  in.appl_id = kApplicationId;
  in.time_step = in.local_time_step = 1;
  in.time_scale = 24;
  in.field = PF_Field_FRAME;
  in.downsample_x = in.downsample_y = in.pixel_aspect_ratio = PF_RationalScale{1, 1};
  in.pica_basicP = BasicSuite();

  SetCurrentServices(&host);
}

Host::~Host() {
  FinishFrame();
  state_.reset();
  SetCurrentServices(nullptr);
}

PF_Err Host::Send(PF_Cmd cmd, void* extra) {
  State& s = *state_;
  HostServices& host = s.services;
  const bool smart = IsSmartCommand(cmd);
  if (!smart) {
    // The effect gets copies, so it cannot change the host's values behind its back.
    s.param_copies.clear();
    for (std::size_t i = 0; i < host.params.size(); ++i)
      s.param_copies.push_back(host.params[static_cast<int>(i)]);
    s.param_pointers.clear();
    for (PF_ParamDef& def : s.param_copies) s.param_pointers.push_back(&def);
  }
  host.in_data.num_params = static_cast<A_long>(host.params.size());
  host.command = cmd;
  // In this order, an Interrupt from another thread is never lost: either this reads its
  // request, or its own store into interrupted lands after the reset.
  host.interrupted = PF_Err_NONE;
  if (const PF_Err requested = host.requested_interruption.load()) host.interrupted = requested;
  {
    std::lock_guard lock(host.journal_mutex);
    host.refusal.clear();
  }
  struct CommandScope {
    HostServices& host;
    ~CommandScope() { host.command = -1; }
  } scope{host};
  return s.module.Call(cmd, &host.in_data, &host.out_data,
                       smart ? nullptr : s.param_pointers.data(), smart ? nullptr : &s.output_layer,
                       extra);
}

PF_Err Host::GlobalSetup() {
  HostServices& host = state_->services;
  const PF_Err err = Send(PF_Cmd_GLOBAL_SETUP);
  host.in_data.global_data = host.out_data.global_data;
  return err;
}

PF_Err Host::ParamsSetup() {
  state_->services.params.BeginDeclaring();
  return Send(PF_Cmd_PARAMS_SETUP);
}

// The instance's sequence data is whatever the effect leaves in out_data after a setup.
PF_Err Host::SequenceSetup() {
  HostServices& host = state_->services;
  host.out_data.sequence_data = nullptr;
  const PF_Err err = Send(PF_Cmd_SEQUENCE_SETUP);
  host.in_data.sequence_data = host.out_data.sequence_data;
  return err;
}

PF_Err Host::SequenceResetup() {
  HostServices& host = state_->services;
  host.out_data.sequence_data = host.in_data.sequence_data;
  const PF_Err err = Send(PF_Cmd_SEQUENCE_RESETUP);
  host.in_data.sequence_data = host.out_data.sequence_data;
  return err;
}

PF_Err Host::SequenceSetdown() {
  HostServices& host = state_->services;
  const PF_Err err = Send(PF_Cmd_SEQUENCE_SETDOWN);
  host.in_data.sequence_data = host.out_data.sequence_data = nullptr;
  return err;
}

PF_Err Host::GlobalSetdown() {
  HostServices& host = state_->services;
  const PF_Err err = Send(PF_Cmd_GLOBAL_SETDOWN);
  host.in_data.global_data = host.out_data.global_data = nullptr;
  return err;
}

PF_Err Host::About(std::string* text) {
  const PF_Err err = Send(PF_Cmd_ABOUT);
  if (text) {
    const auto& message = state_->services.out_data.return_msg;
    *text = std::string(message, strnlen(message, sizeof message));
  }
  return err;
}

PF_Err Host::UpdateParamsUI() {
  return Send(PF_Cmd_UPDATE_PARAMS_UI);
}

PF_Err Host::UserChangedParam(PF_ParamIndex index) {
  PF_UserChangedParamExtra extra{};
  extra.param_index = index;
  return Send(PF_Cmd_USER_CHANGED_PARAM, &extra);
}

PF_Err Host::PreRender(const World& input, const FrameSettings& settings,
                       PF_PreRenderOutput* result) {
  if (settings.downsample < 1) throw std::invalid_argument("hostsim: downsample must be >= 1");
  FinishFrame();
  State& s = *state_;
  HostServices& host = s.services;
  const auto factor = static_cast<A_long>(settings.downsample);

  const World* layer = &input;
  if (factor > 1) {
    s.scaled_input = Downsample(host.worlds, input, factor);
    if (!s.scaled_input) return PF_Err_OUT_OF_MEMORY;
    layer = s.scaled_input;
  }

  FrameState& frame = host.frame;
  frame = FrameState{};
  frame.input = layer->effect_world;
  frame.input.origin_x = settings.origin_x;
  frame.input.origin_y = settings.origin_y;
  frame.has_input = true;
  frame.input_extent =
      PF_Rect{settings.origin_x, settings.origin_y, settings.origin_x + layer->width(),
              settings.origin_y + layer->height()};
  frame.full_width = input.width();
  frame.full_height = input.height();
  host.layer_checkouts.clear();

  PF_InData& in = host.in_data;
  in.current_time = settings.current_time;
  in.time_step = in.local_time_step = settings.time_step;
  in.time_scale = settings.time_scale;
  in.quality = settings.quality;
  in.field = settings.field;
  in.width = input.width();
  in.height = input.height();
  in.extent_hint = frame.input_extent;
  in.downsample_x = in.downsample_y = PF_RationalScale{1, settings.downsample};

  s.pre_input = PF_PreRenderInput{};
  s.pre_input.output_request.rect = settings.request_rect.value_or(frame.input_extent);
  s.pre_input.output_request.field = settings.field;
  s.pre_input.output_request.channel_mask = settings.channel_mask;
  s.pre_input.bitdepth = static_cast<short>(BitsPerChannel(input.depth));
  s.pre_output = PF_PreRenderOutput{};
  PF_PreRenderExtra extra{&s.pre_input, &s.pre_output, &s.pre_callbacks};

  const PF_Err err = Send(PF_Cmd_SMART_PRE_RENDER, &extra);
  // From here the host owns the pre-render data, whatever the command returned.
  s.pending_data = s.pre_output.pre_render_data;
  s.pending_delete = s.pre_output.delete_pre_render_data_func;
  if (result) *result = s.pre_output;
  return err;
}

PF_Err Host::RenderFrame(const World& input, const FrameSettings& settings, World** output) {
  if (output) *output = nullptr;
  State& s = *state_;
  HostServices& host = s.services;
  PF_Err err = PreRender(input, settings);
  if (!err) {
    const PF_Rect& rect = s.pre_output.result_rect;
    World* out = host.worlds.Create(input.depth, std::max(rect.right - rect.left, 0),
                                    std::max(rect.bottom - rect.top, 0));
    if (!out) {
      err = PF_Err_OUT_OF_MEMORY;
      RecordRefusal(host, "the output world", err, "the host could not make its output world");
    }
    if (out) {
      out->effect_world.origin_x = rect.left;
      out->effect_world.origin_y = rect.top;
      host.frame.output = out;
      s.smart_input = PF_SmartRenderInput{};
      s.smart_input.output_request = s.pre_input.output_request;
      s.smart_input.bitdepth = s.pre_input.bitdepth;
      s.smart_input.pre_render_data = s.pending_data;
      PF_SmartRenderExtra extra{&s.smart_input, &s.smart_callbacks};
      err = Send(PF_Cmd_SMART_RENDER, &extra);
      host.frame.output = nullptr;
      if (err || !output)
        host.worlds.Dispose(out);
      else
        *output = out;
    }
  }
  FinishFrame();
  return err;
}

void Host::FinishFrame() {
  State& s = *state_;
  HostServices& host = s.services;
  if (s.pending_data) {
    // The host may not free memory the effect allocated: only the effect's function can.
    if (s.pending_delete)
      s.pending_delete(s.pending_data);
    else
      ++host.leaked_pre_render_data;
  }
  s.pending_data = nullptr;
  s.pending_delete = nullptr;
  host.leaked_layer_pixels += host.frame.pixels_out.size();
  host.frame.pixels_out.clear();
  host.frame.requested_ids.clear();
  host.frame.has_input = false;
  if (s.scaled_input) host.worlds.Dispose(s.scaled_input);
  s.scaled_input = nullptr;
}

PF_InData& Host::in_data() {
  return state_->services.in_data;
}
PF_OutData& Host::out_data() {
  return state_->services.out_data;
}
ParamStore& Host::params() {
  return state_->services.params;
}
WorldStore& Host::worlds() {
  return state_->services.worlds;
}
Faults& Host::faults() {
  return state_->services.faults;
}
SuiteRegistry& Host::suites() {
  return state_->services.suites;
}
HandleStore& Host::handles() {
  return state_->services.handles;
}
LayerAnswer& Host::layer_answer() {
  return state_->services.layer_answer;
}

const std::vector<LayerCheckout>& Host::layer_checkouts() const {
  return state_->services.layer_checkouts;
}

const std::vector<ParamUIUpdate>& Host::param_ui_updates() const {
  return state_->services.ui_updates;
}

std::string Host::refusal() const {
  std::lock_guard lock(state_->services.journal_mutex);
  return state_->services.refusal;
}

void Host::Interrupt(PF_Err err) {
  HostServices& host = state_->services;
  host.requested_interruption = err;
  PF_Err none = PF_Err_NONE;
  host.interrupted.compare_exchange_strong(none, err);
}

void Host::ClearInterruption() {
  HostServices& host = state_->services;
  host.requested_interruption = PF_Err_NONE;
  host.interrupted = PF_Err_NONE;
}

PF_Err Host::interruption() const {
  return PollAbort(state_->services);
}

A_long Host::progress_current() const {
  return state_->services.progress_current;
}
A_long Host::progress_total() const {
  return state_->services.progress_total;
}

const std::vector<HostCall>& Host::journal() const {
  return state_->services.journal;
}

void Host::ClearJournal() {
  HostServices& host = state_->services;
  std::lock_guard lock(host.journal_mutex);
  host.journal.clear();
}

Leaks Host::leaks() const {
  const HostServices& host = state_->services;
  Leaks leaks;
  leaks.handles = host.handles.live() + host.blocks.size();
  leaks.worlds = host.worlds.live();
  leaks.suites = host.suites.unreleased();
  leaks.params = host.params.checked_out();
  leaks.layers = host.leaked_layer_pixels + host.frame.pixels_out.size();
  leaks.aegp_refs = host.aegp.live();
  leaks.pre_render_data = host.leaked_pre_render_data;
  leaks.bad_releases = host.handles.bad_releases() + host.suites.bad_releases() +
                       host.params.bad_checkins() + host.aegp.bad_releases;
  return leaks;
}

}  // namespace hostsim
