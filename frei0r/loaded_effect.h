#pragma once
// The effect loaded into the simulated host, set up as the host does (global, params and
// sequence setup) and kept until the last frei0r instance goes. The simulated host has one
// current host per process, so every instance in a process shares this one; each instance
// keeps its own control values and sets them before each of its frames.

#include <memory>
#include <mutex>
#include <vector>

#include "hostsim/host.h"

namespace frei0r_glow {

// Held while anything touches the loaded effect: frei0r hosts may call instances from
// several threads.
std::mutex& EffectLock();

class LoadedEffect {
 public:
  // The process's loaded effect, loading it when no one holds it. Call with EffectLock held;
  // throws std::runtime_error with a one-line reason.
  static std::shared_ptr<LoadedEffect> Acquire();

  explicit LoadedEffect(const std::filesystem::path& module_path);
  ~LoadedEffect();  // sequence and global setdown
  LoadedEffect(const LoadedEffect&) = delete;
  LoadedEffect& operator=(const LoadedEffect&) = delete;

  hostsim::Host& host() { return *host_; }

 private:
  std::unique_ptr<hostsim::Host> host_;
  bool sequence_set_up_ = false;
};

// The parameters the effect declared, as first loaded (frei0r asks about parameters before
// any instance exists). Call with EffectLock held; throws std::runtime_error.
const std::vector<PF_ParamDef>& DeclaredParams();

// Why the host refused, in words: "out of memory (error 4)".
std::string FailureText(PF_Err error, const hostsim::Host& host);

}  // namespace frei0r_glow
