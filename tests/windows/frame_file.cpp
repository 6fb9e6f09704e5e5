#include "tests/windows/frame_file.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace FrameFile {
namespace {

constexpr char kMagic[] = "VLMRAW1\n";
constexpr std::size_t kMagicSize = sizeof kMagic - 1;
constexpr std::size_t kHeaderSize = kMagicSize + 12;

void PutU32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::int32_t GetI32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= std::uint32_t{bytes[at + i]} << (8 * i);
  return static_cast<std::int32_t>(value);
}

}  // namespace

int BitsOf(hostsim::Depth depth) {
  return hostsim::BitsPerChannel(depth);
}

void Write(const hostsim::World& world, const std::filesystem::path& file) {
  std::vector<std::uint8_t> bytes(kMagic, kMagic + kMagicSize);
  PutU32(bytes, static_cast<std::uint32_t>(world.width()));
  PutU32(bytes, static_cast<std::uint32_t>(world.height()));
  PutU32(bytes, static_cast<std::uint32_t>(BitsOf(world.depth)));
  const std::size_t row_size = static_cast<std::size_t>(world.width()) * PixelSize(world.depth);
  for (A_long y = 0; y < world.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint8_t*>(world.row(y));
    bytes.insert(bytes.end(), row, row + row_size);
  }
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error(file.string() + ": cannot be written");
}

Frame Read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error(file.string() + ": cannot be opened");
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, kMagicSize) != 0)
    throw std::runtime_error(file.string() + ": not a frame file");
  Frame frame;
  frame.width = GetI32(bytes, kMagicSize);
  frame.height = GetI32(bytes, kMagicSize + 4);
  frame.bits = GetI32(bytes, kMagicSize + 8);
  const std::size_t channel_size = frame.bits == 8 ? 1 : frame.bits == 16 ? 2 : 4;
  if (frame.width < 0 || frame.height < 0 ||
      (frame.bits != 8 && frame.bits != 16 && frame.bits != 32) ||
      bytes.size() - kHeaderSize !=
          std::size_t(frame.width) * std::size_t(frame.height) * 4 * channel_size)
    throw std::runtime_error(file.string() + ": header and size disagree");
  frame.pixels.assign(bytes.begin() + kHeaderSize, bytes.end());
  return frame;
}

}  // namespace FrameFile
