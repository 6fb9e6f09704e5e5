#pragma once
// Which of the names a tool knows is closest to one the user typed, for "nearest: ..." hints.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Edits (insert, delete, replace) from one word to the other, regardless of case.
std::size_t EditDistance(std::string_view a, std::string_view b);

// Up to count of candidates, closest to name first (ties keep their order); a candidate
// holding what was typed ("acescg" in "lin_acescg") counts as one typing slip away.
std::vector<std::string> Nearest(std::string_view name, std::vector<std::string> candidates,
                                 std::size_t count);

}  // namespace cli
