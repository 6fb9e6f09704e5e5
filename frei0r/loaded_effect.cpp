#include "frei0r/loaded_effect.h"

#include <stdexcept>
#include <string>

#include "frei0r/effect_module_path.h"
#include "frei0r/thread_setting.h"
#include "hostsim/host_operation.h"

namespace frei0r_glow {
namespace {

// Kept for the life of the process and never destroyed: a host application may exit without
// f0r_deinit, and tearing the effect down from a static destructor would meet a worker pool
// already gone.
std::weak_ptr<LoadedEffect>& Current() {
  static auto* current = new std::weak_ptr<LoadedEffect>();
  return *current;
}

void Check(PF_Err error, const char* command, const hostsim::Host& host) {
  if (error != PF_Err_NONE) {
    throw std::runtime_error(std::string("the effect failed ") + command + ": " +
                             FailureText(error, host));
  }
}

}  // namespace

std::mutex& EffectLock() {
  static auto* lock = new std::mutex();
  return *lock;
}

std::shared_ptr<LoadedEffect> LoadedEffect::Acquire() {
  if (auto effect = Current().lock()) return effect;
  static const bool threads_set = (ApplyThreadSetting(), true);
  static_cast<void>(threads_set);
  auto effect = std::make_shared<LoadedEffect>(LocateEffectModule());
  Current() = effect;
  return effect;
}

LoadedEffect::LoadedEffect(const std::filesystem::path& module_path) {
  try {
    host_ = std::make_unique<hostsim::Host>(module_path);
  } catch (const std::exception& error) {
    throw std::runtime_error(module_path.string() + ": cannot load the effect: " + error.what());
  }
  try {
    Check(host_->GlobalSetup(), "global setup", *host_);
    Check(host_->ParamsSetup(), "params setup", *host_);
    Check(host_->SequenceSetup(), "sequence setup", *host_);
  } catch (...) {
    host_->GlobalSetdown();
    throw;
  }
  sequence_set_up_ = true;
}

LoadedEffect::~LoadedEffect() {
  if (sequence_set_up_) host_->SequenceSetdown();
  host_->GlobalSetdown();
}

const std::vector<PF_ParamDef>& DeclaredParams() {
  static auto* declared = new std::vector<PF_ParamDef>();
  if (declared->empty()) {
    const auto effect = LoadedEffect::Acquire();
    *declared = effect->host().params().declared();
    if (declared->empty()) throw std::runtime_error("the effect declared no parameters");
  }
  return *declared;
}

std::string FailureText(PF_Err error, const hostsim::Host& host) {
  const std::string refusal = host.refusal();
  return (refusal.empty() ? hostsim::ErrorWords(error) : refusal) + " (error " +
         std::to_string(error) + ")";
}

}  // namespace frei0r_glow
