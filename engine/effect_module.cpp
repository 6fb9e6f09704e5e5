#include "engine/effect_module.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/error.h"

namespace velmora::engine {
namespace {

// The file this code was loaded from, as the dynamic loader names it: the program for the
// command, the filter's library for frei0r hosts.
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

std::filesystem::path LocateEffectModule(const std::optional<std::filesystem::path>& requested) {
  if (requested) {
    if (!IsFile(*requested)) throw Error(requested->string(), "no effect module there", kExitUsage);
    return *requested;
  }
  if (const char* named = std::getenv("VELMORA_EFFECT_MODULE"); named && *named) {
    if (!IsFile(named)) {
      throw Error("VELMORA_EFFECT_MODULE", std::string("no effect module at ") + named, kExitUsage);
    }
    return named;
  }
  std::vector<std::filesystem::path> places;
  if (const std::filesystem::path folder = OwnFolder(); !folder.empty()) {
    // Beside it; lib/velmora from lib/frei0r-1/ or bin/; from the Python module installed in
    // lib/python3/dist-packages/.
    places = {folder, folder / ".." / "velmora", folder / ".." / "lib" / "velmora",
              folder / ".." / ".." / "velmora"};
  }
  places.emplace_back(std::filesystem::path(VELMORA_BUILT_MODULE_PATH).parent_path());
  std::string looked;
  for (const std::filesystem::path& place : places) {
    const std::filesystem::path candidate = (place / kEffectModuleFileName).lexically_normal();
    if (IsFile(candidate)) return candidate;
    looked += (looked.empty() ? "" : ", ") + candidate.parent_path().string();
  }
  throw Error(kEffectModuleFileName, "effect module not found in " + looked +
                                         " (use --plugin PATH or set VELMORA_EFFECT_MODULE)");
}

}  // namespace velmora::engine
