#pragma once
// The quality a JPEG file was saved at, told from its luminance quantisation table: the
// writer's own setting is not stored, but the common encoders (libjpeg and its kin) derive the
// table from one standard table and the quality, so the quality can be found again.

#include <cstdint>
#include <optional>
#include <span>

namespace cli {

// The quality (1 to 100) whose scaled standard table matches the file's luminance table, or
// nothing when the bytes hold no such table or none matches (another encoder's own tables).
std::optional<int> JpegQuality(std::span<const std::uint8_t> file);

}  // namespace cli
