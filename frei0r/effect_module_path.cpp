#include "frei0r/effect_module_path.h"

#include <dlfcn.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace frei0r_glow {
namespace {

constexpr const char* kModuleFileName = "Velmora.so";

// The folder this frei0r module was loaded from, as the dynamic loader names it.
std::filesystem::path OwnFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&LocateEffectModule), &info) == 0 || !info.dli_fname) {
    return {};
  }
  std::error_code error;
  const std::filesystem::path self = std::filesystem::canonical(info.dli_fname, error);
  return error ? std::filesystem::path(info.dli_fname).parent_path() : self.parent_path();
}

bool IsFile(const std::filesystem::path& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::filesystem::path LocateEffectModule() {
  if (const char* requested = std::getenv("VELMORA_EFFECT_MODULE"); requested && *requested) {
    if (!IsFile(requested)) {
      throw std::runtime_error(std::string("VELMORA_EFFECT_MODULE: no effect module at ") +
                               requested);
    }
    return requested;
  }
  const std::filesystem::path folder = OwnFolder();
  for (const std::filesystem::path& candidate :
       {folder / kModuleFileName, folder / ".." / "velmora" / kModuleFileName}) {
    if (!folder.empty() && IsFile(candidate)) return candidate.lexically_normal();
  }
  const std::filesystem::path built = VELMORA_DEFAULT_MODULE_PATH;
  if (IsFile(built)) return built;
  throw std::runtime_error(std::string(kModuleFileName) + ": effect module not found beside " +
                           folder.string() + ", in " + (folder / ".." / "velmora").string() +
                           " or at " + built.string() + " (set VELMORA_EFFECT_MODULE)");
}

}  // namespace frei0r_glow
