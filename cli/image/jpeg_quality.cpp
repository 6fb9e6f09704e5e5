#include "cli/image/jpeg_quality.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace cli {
namespace {

// The JPEG standard's example luminance table (Annex K), in zig-zag order as files store it.
constexpr std::array<int, 64> kStandardLuminance = {
    16, 11, 12,  14,  12,  10, 16, 14,  13,  14,  18,  17,  16, 19,  24,  40,
    26, 24, 22,  22,  24,  49, 35, 37,  29,  40,  58,  51,  61, 60,  57,  51,
    56, 55, 64,  72,  92,  78, 64, 68,  87,  69,  55,  56,  80, 109, 81,  87,
    95, 98, 103, 104, 103, 62, 77, 113, 121, 112, 100, 120, 92, 101, 103, 99};

// The table libjpeg makes for a quality (jpeg_quality_scaling, baseline limited to 255).
std::array<int, 64> ScaledTable(int quality) {
  const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  std::array<int, 64> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = std::clamp((kStandardLuminance[i] * scale + 50) / 100, 1, 255);
  }
  return table;
}

// The first 8-bit quantisation table numbered 0, from the DQT segments before the image data.
std::optional<std::array<int, 64>> LuminanceTable(std::span<const std::uint8_t> file) {
  if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8) return std::nullopt;
  for (std::size_t at = 2; at + 4 <= file.size();) {
    if (file[at] != 0xFF) return std::nullopt;
    const std::uint8_t marker = file[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return std::nullopt;  // image data: no table came
    const std::size_t length = static_cast<std::size_t>(file[at + 2]) << 8 | file[at + 3];
    if (length < 2 || at + 2 + length > file.size()) return std::nullopt;
    if (marker == 0xDB) {
      for (std::size_t table = at + 4; table < at + 2 + length;) {
        const int precision = file[table] >> 4;
        const int id = file[table] & 15;
        const std::size_t bytes = precision ? 128 : 64;
        if (table + 1 + bytes > at + 2 + length) return std::nullopt;
        if (id == 0 && precision == 0) {
          std::array<int, 64> values{};
          std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(table + 1), 64, values.begin());
          return values;
        }
        table += 1 + bytes;
      }
    }
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<int> JpegQuality(std::span<const std::uint8_t> file) {
  const auto table = LuminanceTable(file);
  if (!table) return std::nullopt;
  for (int quality = 1; quality <= 100; ++quality) {
    if (ScaledTable(quality) == *table) return quality;
  }
  return std::nullopt;
}

}  // namespace cli
