#pragma once
// Where the effect module is, found the same way by every front-end:
//   1. the module asked for (the command's --plugin), else VELMORA_EFFECT_MODULE when set: it
//      must be there;
//   2. Velmora.so beside the front-end's own file (the velmora program, the frei0r filter);
//   3. the installed layout, lib/velmora/Velmora.so under the prefix, seen from bin/, from
//      a library folder such as lib/frei0r-1/, or from the Python module's
//      lib/python3/dist-packages/;
//   4. the module this build made.

#include <filesystem>
#include <optional>

namespace velmora::engine {

inline constexpr const char* kEffectModuleFileName = "Velmora.so";

// Throws Error (usage, for a module asked for that is not there) naming every place looked in.
std::filesystem::path LocateEffectModule(const std::optional<std::filesystem::path>& requested);

}  // namespace velmora::engine
