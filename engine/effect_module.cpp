#include "engine/effect_module.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/error.h"

namespace velmora::engine {
namespace {

// The file this code was loaded from: the filter's library for frei0r hosts, or the program
// itself for the command. The loader names the program only as argv[0] ("velmora" when run
// from PATH), so the program's own file comes from /proc/self/exe.
std::filesystem::path OwnFolder() {
  Dl_info info{};
  link_map* map = nullptr;
  if (dladdr1(reinterpret_cast<void*>(&LocateEffectModule), &info, reinterpret_cast<void**>(&map),
              RTLD_DL_LINKMAP) == 0) {
    return {};
  }
  const bool in_program = !map || !map->l_name || map->l_name[0] == '\0';
  std::error_code error;
  std::filesystem::path self = std::filesystem::canonical(
      in_program ? std::filesystem::path("/proc/self/exe") : std::filesystem::path(map->l_name),
      error);
  if (error && info.dli_fname) self = std::filesystem::canonical(info.dli_fname, error);
  return error ? std::filesystem::path{} : self.parent_path();
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
