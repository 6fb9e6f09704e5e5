#pragma once
// The effect module: a shared library loaded by path, reached only through its one export.

#include <filesystem>

#include "hostapi/host_api.h"

namespace hostsim {

class EffectModule {
 public:
  // Throws std::runtime_error naming the path and the reason when the library cannot be
  // loaded or has no EntryPointFunc.
  explicit EffectModule(const std::filesystem::path& path);
  ~EffectModule();
  EffectModule(const EffectModule&) = delete;
  EffectModule& operator=(const EffectModule&) = delete;

  // Sends one command. An exception escaping the effect is a broken module: it is reported
  // as std::runtime_error rather than passed on as if it were the host's.
  PF_Err Call(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
              PF_LayerDef* output, void* extra) const;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  void* library_ = nullptr;
  PF_FilterProc entry_ = nullptr;
};

}  // namespace hostsim
