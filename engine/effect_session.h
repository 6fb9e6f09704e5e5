#pragma once
// The effect loaded into the simulated host and driven the way the host drives it: global,
// params and sequence setup once, then a render per frame with the controls written into the
// host's parameters, and the setdowns at the end. Every front-end renders through this.

#include <filesystem>
#include <memory>
#include <string>

#include "engine/glow_controls.h"
#include "engine/owned_world.h"
#include "hostsim/host.h"

namespace velmora::engine {

// The host's time for a frame: in frames from the start of a sequence, or in seconds.
A_long TimeOfFrame(long frame);
A_long TimeOfSeconds(double seconds);

class EffectSession {
 public:
  // Loads the module and runs global, params and sequence setup; throws Error.
  explicit EffectSession(const std::filesystem::path& module_path);
  ~EffectSession();  // sequence and global setdown
  EffectSession(const EffectSession&) = delete;
  EffectSession& operator=(const EffectSession&) = delete;

  hostsim::Host& host() { return *host_; }
  const hostsim::Host& host() const { return *host_; }
  const std::filesystem::path& module_path() const { return module_path_; }
  // The controls the effect declared at params setup: ranges, choices and defaults.
  const DeclaredControls& declared() const { return *declared_; }

  // Writes every control into the host's parameters, as the host would before a render.
  void SetControls(const GlowControls& controls);

  // Renders one frame of the input world at the host's time current_time. The result's
  // origin_x and origin_y say where it lies relative to the input. subject names the frame in
  // messages. downsample > 1 renders at the host's reduced resolution (the result is then the
  // input's size / downsample), as its previews do. Throws Error.
  OwnedWorld Render(const hostsim::World& input, A_long current_time, const std::string& subject,
                    A_u_long downsample = 1);

  // From another thread: the render in flight stops at its next abort check, and so does every
  // render until ClearInterruption.
  void Interrupt() { host_->Interrupt(); }
  void ClearInterruption() { host_->ClearInterruption(); }

 private:
  std::filesystem::path module_path_;
  std::unique_ptr<hostsim::Host> host_;
  std::unique_ptr<DeclaredControls> declared_;
  bool sequence_set_up_ = false;
};

// "AEGP_New: out of memory (error 4)": why the host or the effect refused, in words.
std::string FailureText(PF_Err error, const hostsim::Host& host);

// "1.0.0" from the host's packed effect version (PF_VERSION layout).
std::string VersionText(A_u_long packed_version);

}  // namespace velmora::engine
