#pragma once
// Where the frei0r module finds the effect module it loads.

#include <filesystem>

namespace frei0r_glow {

// VELMORA_EFFECT_MODULE when set; else Velmora.so beside this module, or in ../velmora as
// installed; else the one this module was built with. std::runtime_error when none is there.
std::filesystem::path LocateEffectModule();

}  // namespace frei0r_glow
