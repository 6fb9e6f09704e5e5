#pragma once
// The effect's version word and global flags spelled out, so a test that checks them names the
// flag or the field that is wrong. Bit positions and the version layout are the host's
// published ones, written here independently of hostapi/.

#include <cstdint>
#include <string>

namespace velmora_test {

struct NamedBit {
  int bit;
  const char* name;
};

inline constexpr NamedBit kOutFlagBits[] = {{0, "KEEP_RESOURCE_OPEN"},
                                            {9, "I_EXPAND_BUFFER"},
                                            {10, "PIX_INDEPENDENT"},
                                            {25, "DEEP_COLOR_AWARE"},
                                            {26, "SEND_UPDATE_PARAMS_UI"}};
inline constexpr NamedBit kOutFlag2Bits[] = {{0, "SUPPORTS_QUERY_DYNAMIC_FLAGS"},
                                             {7, "REVEALS_ZERO_ALPHA"},
                                             {10, "SUPPORTS_SMART_RENDER"},
                                             {12, "FLOAT_COLOR_AWARE"},
                                             {27, "SUPPORTS_THREADED_RENDERING"}};

// The set bits by name, lowest first; a bit without a name is "bit N".
template <std::size_t N>
std::string FlagNames(std::uint32_t flags, const NamedBit (&names)[N]) {
  std::string text;
  for (int bit = 0; bit < 32; ++bit) {
    if (!(flags >> bit & 1u)) continue;
    std::string name = "bit " + std::to_string(bit);
    for (const NamedBit& named : names)
      if (named.bit == bit) name = named.name;
    text += (text.empty() ? "" : " ") + name;
  }
  return text;
}

// "major.minor.bugfix stage S build B", from the host's version word layout.
inline std::string VersionText(std::uint32_t word) {
  const auto field = [word](int shift, std::uint32_t mask) { return (word >> shift) & mask; };
  const std::uint32_t major = field(19, 0x7) | field(26, 0xF) << 3;
  return std::to_string(major) + "." + std::to_string(field(15, 0xF)) + "." +
         std::to_string(field(11, 0xF)) + " stage " + std::to_string(field(9, 0x3)) + " build " +
         std::to_string(field(0, 0x1FF));
}

inline constexpr const char* kExpectedOutFlags =
    "KEEP_RESOURCE_OPEN I_EXPAND_BUFFER DEEP_COLOR_AWARE SEND_UPDATE_PARAMS_UI";
inline constexpr const char* kExpectedOutFlags2 =
    "SUPPORTS_QUERY_DYNAMIC_FLAGS REVEALS_ZERO_ALPHA SUPPORTS_SMART_RENDER FLOAT_COLOR_AWARE";
inline constexpr const char* kExpectedVersion = "1.0.0 stage 3 build 0";  // stage 3: release

}  // namespace velmora_test
