#include "hostsim/module.h"

#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace hostsim {

namespace {

constexpr const char* kEntryPoint = "EntryPointFunc";

std::runtime_error LoadError(const std::filesystem::path& path, const std::string& reason) {
  return std::runtime_error("hostsim: " + path.string() + ": " + reason);
}

#ifdef _WIN32
void* Open(const std::filesystem::path& path, std::string* reason) {
  HMODULE library = LoadLibraryW(path.wstring().c_str());
  if (!library)
    *reason = "cannot load the effect module (error " + std::to_string(GetLastError()) + ")";
  return reinterpret_cast<void*>(library);
}
void* Find(void* library) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), kEntryPoint));
}
void Close(void* library) {
  FreeLibrary(static_cast<HMODULE>(library));
}
#else
void* Open(const std::filesystem::path& path, std::string* reason) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* error = dlerror();
    *reason = std::string("cannot load the effect module: ") + (error ? error : "unknown error");
  }
  return library;
}
void* Find(void* library) {
  return dlsym(library, kEntryPoint);
}
void Close(void* library) {
  dlclose(library);
}
#endif

}  // namespace

EffectModule::EffectModule(const std::filesystem::path& path) : path_(path) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored))
    throw LoadError(path, "no such effect module");
  std::string reason;
  library_ = Open(path, &reason);
  if (!library_) throw LoadError(path, reason);
  entry_ = reinterpret_cast<PF_FilterProc>(Find(library_));
  if (!entry_) {
    Close(library_);
    throw LoadError(path, std::string("the module exports no ") + kEntryPoint);
  }
}

EffectModule::~EffectModule() {
  if (library_) Close(library_);
}

PF_Err EffectModule::Call(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                          PF_ParamDef* params[], PF_LayerDef* output, void* extra) const {
  try {
    return entry_(cmd, in_data, out_data, params, output, extra);
  } catch (...) {
    throw std::runtime_error("hostsim: " + path_.string() + ": an exception escaped " +
                             kEntryPoint + " (command " + std::to_string(cmd) + ")");
  }
}

}  // namespace hostsim
