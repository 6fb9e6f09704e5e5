#pragma once
// One loaded effect instance, driven the way the host drives it: global setup, params setup
// and sequence setup once, then pre-render and render per frame, and the setdowns at the end.

#include <filesystem>
#include <memory>
#include <optional>

#include "cli/world_transfer.h"
#include "hostsim/host.h"

namespace cli {

// The effect module to load: the one asked for, else the one beside this program, else the
// one this program was built with. Throws CliError when it is not there.
std::filesystem::path LocateEffectModule(const std::optional<std::filesystem::path>& requested);

class EffectSession {
 public:
  // Loads the module and runs global, params and sequence setup; throws CliError.
  explicit EffectSession(const std::filesystem::path& module_path);
  ~EffectSession();  // sequence and global setdown
  EffectSession(const EffectSession&) = delete;
  EffectSession& operator=(const EffectSession&) = delete;

  hostsim::Host& host() { return *host_; }
  const std::filesystem::path& module_path() const { return module_path_; }

  // Renders one frame of the input world at the given time (in frames from the start of the
  // sequence). The result's origin_x and origin_y say where it lies relative to the input.
  // subject names the frame in messages. downsample > 1 renders at the host's reduced
  // resolution (the result is then the input's size / downsample), as its previews do.
  OwnedWorld Render(const hostsim::World& input, long frame_time, const std::string& subject,
                    A_u_long downsample = 1);

 private:
  std::filesystem::path module_path_;
  std::unique_ptr<hostsim::Host> host_;
  bool sequence_set_up_ = false;
};

// "1.0.0" from the host's packed effect version (PF_VERSION layout).
std::string VersionText(A_u_long packed_version);

}  // namespace cli
