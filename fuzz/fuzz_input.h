#pragma once
// A fuzzer's bytes read as a sequence of choices. Past the end every read gives zero, so any
// input, the empty one included, describes a complete case.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace velmora_fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

  std::uint8_t Byte() { return next_ < bytes_.size() ? bytes_[next_++] : 0; }

  std::uint32_t Word() {
    std::uint32_t word = 0;
    for (int i = 0; i < 4; ++i) word = word << 8 | Byte();
    return word;
  }

  // A whole number from low to high, both included.
  long Between(long low, long high) {
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<long>(Word() % span);
  }

  bool Flag() { return Byte() & 1; }

  // Everything not read yet.
  std::span<const std::uint8_t> Rest() {
    const auto rest = bytes_.subspan(std::min(next_, bytes_.size()));
    next_ = bytes_.size();
    return rest;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t next_ = 0;
};

inline std::string AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace velmora_fuzz
