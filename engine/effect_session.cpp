#include "engine/effect_session.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/error.h"
#include "hostsim/host_operation.h"

namespace velmora::engine {
namespace {

void Check(PF_Err error, const char* command, const hostsim::Host& host,
           const std::filesystem::path& module) {
  if (error != PF_Err_NONE) {
    throw Error(module.string(),
                std::string("the effect failed ") + command + ": " + FailureText(error, host));
  }
}

}  // namespace

A_long TimeOfFrame(long frame) {
  return static_cast<A_long>(frame * hostsim::FrameSettings{}.time_step);
}

A_long TimeOfSeconds(double seconds) {
  const double ticks = std::isfinite(seconds) ? seconds * hostsim::FrameSettings{}.time_scale : 0.0;
  return static_cast<A_long>(
      std::clamp(std::nearbyint(ticks), 0.0, double{std::numeric_limits<A_long>::max()}));
}

EffectSession::EffectSession(const std::filesystem::path& module_path) : module_path_(module_path) {
  try {
    host_ = std::make_unique<hostsim::Host>(module_path);
  } catch (const std::exception& error) {
    throw Error(module_path.string(), std::string("cannot load the effect: ") + error.what());
  }
  try {
    Check(host_->GlobalSetup(), "global setup", *host_, module_path);
    Check(host_->ParamsSetup(), "params setup", *host_, module_path);
    declared_ = std::make_unique<DeclaredControls>(host_->params(), module_path.string());
    Check(host_->SequenceSetup(), "sequence setup", *host_, module_path);
  } catch (...) {
    host_->GlobalSetdown();
    throw;
  }
  sequence_set_up_ = true;
}

EffectSession::~EffectSession() {
  if (sequence_set_up_) host_->SequenceSetdown();
  host_->GlobalSetdown();
}

void EffectSession::SetControls(const GlowControls& controls) {
  WriteControls(controls, host_->params());
}

OwnedWorld EffectSession::Render(const hostsim::World& input, A_long current_time,
                                 const std::string& subject, A_u_long downsample) {
  hostsim::FrameSettings settings;
  settings.downsample = downsample;
  settings.current_time = current_time;
  hostsim::World* rendered = nullptr;
  const PF_Err error = host_->RenderFrame(input, settings, &rendered);
  // The journal of host calls serves tests; a long sequence must not keep every frame's.
  host_->ClearJournal();
  OwnedWorld output(host_->worlds(), rendered);
  if (error != PF_Err_NONE) {
    throw Error(subject, "the effect failed to render: " + FailureText(error, *host_));
  }
  if (!rendered) throw Error(subject, "the effect rendered no output");
  return output;
}

std::string FailureText(PF_Err error, const hostsim::Host& host) {
  const std::string refusal = host.refusal();
  return (refusal.empty() ? hostsim::ErrorWords(error) : refusal) + " (error " +
         std::to_string(error) + ")";
}

std::string VersionText(A_u_long packed_version) {
  const unsigned version = (packed_version >> 19) & 0x7u;
  const unsigned subversion = (packed_version >> 15) & 0xFu;
  const unsigned patch = (packed_version >> 11) & 0xFu;
  return std::to_string(version) + "." + std::to_string(subversion) + "." + std::to_string(patch);
}

}  // namespace velmora::engine
