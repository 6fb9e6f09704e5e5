#include "cli/image/header_checks.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>

#include "cli/image/frame_memory.h"
#include "cli/image/image_io.h"
#include "cli/report/cli_error.h"

namespace cli {
namespace {

// The sizes a DPX file's header gives, in bytes; nullopt for a file that is no DPX.
struct DpxSizes {
  std::uint64_t image_offset = 0;  // where the pixels start
  std::uint64_t file_size = 0;     // the whole file, as the header declares it
  std::uint64_t sections = 0;      // the generic, industry and user data sections together
};

std::optional<DpxSizes> ReadDpxSizes(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> header = FirstBytes(path, 36);
  if (header.size() < 36) return std::nullopt;
  const bool big_endian = std::memcmp(header.data(), "SDPX", 4) == 0;
  if (!big_endian && std::memcmp(header.data(), "XPDS", 4) != 0) return std::nullopt;
  const auto field = [&](std::size_t at) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
      value = value << 8 | header[big_endian ? at + i : at + 3 - i];
    return value;
  };
  return DpxSizes{field(4), field(16), field(24) + field(28) + field(32)};
}

// OpenImageIO's DPX reader trusts the sizes in the file's header: a section said to be larger
// than the file makes it allocate gigabytes or stop the process on an assertion. The sections
// are read whole, so they must be in the file; the pixels may lie past a cut (a truncated file
// is named as such later), but not past the end the header itself declares.
void CheckDpxSections(const std::filesystem::path& path, const std::string& name) {
  const auto sizes = ReadDpxSizes(path);
  std::error_code error;
  const std::uint64_t size = std::filesystem::file_size(path, error);
  if (!sizes || error) return;  // the reader says what is wrong
  if (sizes->sections > size || sizes->image_offset > std::max(size, sizes->file_size)) {
    throw CliError(name, "corrupt DPX header (its sections or pixels lie beyond the file's " +
                             std::to_string(size) + " bytes)");
  }
}

// Little-endian fields of a header read into memory.
std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint32_t U16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | bytes[at + 1] << 8;
}

// What an OpenEXR part's header says about the buffers its reader makes room for on opening.
struct ExrPart {
  std::uint64_t width = 0, height = 0;  // the data window
  std::uint64_t tile_pixels = 0;        // 0: scanlines
  std::uint64_t pixel_bytes = 0;        // all channels of one pixel, as stored
  int compression = 0;

  // Scanlines a chunk of this part's compression holds.
  std::uint64_t ChunkLines() const {
    constexpr int kLines[] = {1, 1, 1, 16, 32, 16, 32, 32, 32, 256};
    return compression >= 0 && compression < 10 ? kLines[compression] : 256;
  }
  std::uint64_t ChunkBytes() const {
    const std::uint64_t pixels =
        tile_pixels != 0 ? tile_pixels : width * std::min(height, ChunkLines());
    return pixels * pixel_bytes;
  }
};

// A channel list as OpenEXR reads it, whatever size its attribute declares: entries of a name,
// a type (0 uint, 1 half, 2 float), a linear flag and three reserved bytes, and x and y
// sampling, up to an empty name. The bytes one pixel takes, and the list's length; nullopt
// when the list runs past what was read.
struct ExrChannels {
  std::uint64_t pixel_bytes = 0;
  std::size_t length = 0;
};

std::optional<ExrChannels> ReadExrChannels(const std::vector<std::uint8_t>& bytes,
                                           std::size_t start) {
  ExrChannels channels;
  std::size_t at = start;
  for (;;) {
    if (at >= bytes.size()) return std::nullopt;
    if (bytes[at] == 0) break;
    while (at < bytes.size() && bytes[at] != 0) ++at;  // the name
    if (at + 17 > bytes.size()) return std::nullopt;
    channels.pixel_bytes += U32(bytes, at + 1) == 1 ? 2 : 4;
    at += 17;
  }
  channels.length = at + 1 - start;
  return channels;
}

// The bytes OpenEXR reads for a value of a type of fixed size: it reads that much whatever the
// attribute's size field says. 0 for the types read by their size field.
std::uint32_t ExrFixedSize(const std::string& type) {
  static const std::pair<const char*, std::uint32_t> kSizes[] = {{"box2i", 16},
                                                                 {"box2f", 16},
                                                                 {"chromaticities", 32},
                                                                 {"compression", 1},
                                                                 {"deepImageState", 1},
                                                                 {"double", 8},
                                                                 {"envmap", 1},
                                                                 {"float", 4},
                                                                 {"int", 4},
                                                                 {"keycode", 28},
                                                                 {"lineOrder", 1},
                                                                 {"m33f", 36},
                                                                 {"m33d", 72},
                                                                 {"m44f", 64},
                                                                 {"m44d", 128},
                                                                 {"rational", 8},
                                                                 {"tiledesc", 9},
                                                                 {"timecode", 8},
                                                                 {"v2i", 8},
                                                                 {"v2f", 8},
                                                                 {"v2d", 16},
                                                                 {"v3i", 12},
                                                                 {"v3f", 12},
                                                                 {"v3d", 24}};
  for (const auto& [name, size] : kSizes) {
    if (type == name) return size;
  }
  return 0;
}

// OpenEXR's header reader trusts sizes: each attribute's value is read into memory as long as
// its size field says, and a part's reader makes room for chunks (a tile, or a compression's
// group of scanlines, once for each of its threads) when it opens, as large as the header
// declares. Each attribute of each part's header must fit in the file; a tile may hold more
// pixels than its part's data window only up to a bound no real file reaches; and a chunk can
// be neither packed tighter than any codec packs nor take more than the budget. False when the
// headers run past the bytes given.
bool WalkExrHeaders(const std::vector<std::uint8_t>& bytes, std::uint64_t file_size,
                    const std::string& name, std::uint64_t budget) {
  constexpr std::uint64_t kMaxTilePixels = std::uint64_t{1} << 24;  // a 4096 x 4096 tile
  constexpr std::uint64_t kChunkBuffers = 16;     // buffers per chunk, over the reader's threads
  const bool multipart = (bytes[5] & 0x10) != 0;  // version flags, bit 12
  std::size_t at = 8;
  // A NUL-terminated text at `at`; false when it runs past what was read.
  const auto read_text = [&](std::string& text) {
    const std::size_t start = at;
    while (at < bytes.size() && bytes[at] != 0) ++at;
    if (at >= bytes.size()) return false;
    text.assign(reinterpret_cast<const char*>(bytes.data()) + start, at - start);
    ++at;
    return true;
  };
  for (;;) {  // each part's header
    ExrPart part;
    for (;;) {  // each attribute: name, type, size, value
      std::string attribute, type;
      if (!read_text(attribute)) return false;
      if (attribute.empty()) break;
      if (!read_text(type) || at + 4 > bytes.size()) return false;
      const std::uint32_t size = U32(bytes, at);
      at += 4;
      // What OpenEXR will read of the value: a type's own size, a channel list to its end, a
      // preview's pixels as its width and height say, else the size field.
      std::uint64_t length = size;
      std::optional<ExrChannels> channels;
      if (const std::uint32_t fixed = ExrFixedSize(type)) {
        length = fixed;
      } else if (type == "chlist") {
        channels = ReadExrChannels(bytes, at);
        if (!channels) return false;
        length = channels->length;
      } else if (type == "preview") {
        if (at + 8 > bytes.size()) return false;
        length = 8 + std::uint64_t{4} * U32(bytes, at) * U32(bytes, at + 4);
      }
      if (size > file_size || length > file_size || at + length > file_size) {
        throw CliError(name, "corrupt OpenEXR header (an attribute of " +
                                 std::to_string(std::max<std::uint64_t>(size, length)) +
                                 " bytes in a file of " + std::to_string(file_size) + ")");
      }
      if (at + length <= bytes.size()) {
        if (attribute == "tiles" && type == "tiledesc") {
          part.tile_pixels = std::uint64_t{U32(bytes, at)} * U32(bytes, at + 4);
        } else if (attribute == "dataWindow" && type == "box2i") {
          const auto side = [&](std::size_t low) {
            const auto extent = std::int64_t{static_cast<std::int32_t>(U32(bytes, low + 8))} -
                                static_cast<std::int32_t>(U32(bytes, low)) + 1;
            return static_cast<std::uint64_t>(std::max<std::int64_t>(extent, 0));
          };
          part.width = side(at);
          part.height = side(at + 4);
        } else if (attribute == "channels" && channels) {
          part.pixel_bytes = channels->pixel_bytes;
        } else if (attribute == "compression" && type == "compression") {
          part.compression = bytes[at];
        }
      }
      at += static_cast<std::size_t>(length);
    }
    const std::uint64_t window_pixels = part.width * part.height;
    if (part.tile_pixels > std::max(kMaxTilePixels, window_pixels)) {
      throw CliError(name, "corrupt OpenEXR header (tiles of " + std::to_string(part.tile_pixels) +
                               " pixels for a data window of " + std::to_string(window_pixels) +
                               ")");
    }
    const std::uint64_t chunk = part.ChunkBytes();
    if (chunk / kMaxCompressionRatio > file_size) {
      throw CliError(name, "truncated or corrupt image (" + std::to_string(file_size) +
                               " bytes cannot hold chunks of " + MemoryText(chunk) + ")");
    }
    if (chunk > budget / kChunkBuffers) {
      throw CliError(name, "chunks of " + MemoryText(chunk) + " need more memory to read (" +
                               MemoryText(chunk * kChunkBuffers) + ") than the " +
                               MemoryText(budget) + " allowed");
    }
    if (!multipart) return true;
    if (at >= bytes.size()) return false;
    if (bytes[at] == 0) return true;
  }
}

void CheckExrHeader(const std::filesystem::path& path, const std::string& name,
                    std::uint64_t budget) {
  constexpr std::size_t kMostHeaderBytes = std::size_t{64} << 20;
  std::error_code error;
  const std::uint64_t file_size = std::filesystem::file_size(path, error);
  if (error) return;
  // Most headers fit in a MiB; a larger one (a big preview image) is read on.
  for (std::size_t count = std::size_t{1} << 20;; count *= 8) {
    const std::vector<std::uint8_t> bytes = FirstBytes(path, std::min(count, kMostHeaderBytes));
    if (bytes.size() < 8 || U32(bytes, 0) != 20000630) return;
    if (WalkExrHeaders(bytes, file_size, name, budget) || bytes.size() >= file_size) return;
    if (bytes.size() >= kMostHeaderBytes) {
      throw CliError(
          name, "corrupt OpenEXR header (more than " + MemoryText(kMostHeaderBytes) + " long)");
    }
  }
}

// OpenImageIO's GIF reader makes room for its canvas, the logical screen's width x height x 4
// bytes, when it opens the file, and sizes it in an int: a screen of more than 2^31 bytes
// overflows that and stops the process. The canvas must fit that int, the budget, and what the
// file's size can describe.
void CheckGifScreen(const std::filesystem::path& path, const std::string& name,
                    std::uint64_t budget) {
  const std::vector<std::uint8_t> bytes = FirstBytes(path, 10);
  // giflib takes any file that starts "GIF", whatever version follows.
  if (bytes.size() < 10 || std::memcmp(bytes.data(), "GIF", 3) != 0) return;
  std::error_code error;
  const std::uint64_t file_size = std::filesystem::file_size(path, error);
  if (error) return;
  const std::uint32_t width = U16(bytes, 6), height = U16(bytes, 8);
  const std::uint64_t canvas = std::uint64_t{width} * height * 4;
  const std::string screen =
      "GIF screen of " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
  if (canvas > INT_MAX) throw CliError(name, screen + ": larger than its reader takes");
  if (canvas / kMaxCompressionRatio > file_size) {
    throw CliError(name, "truncated or corrupt image (" + std::to_string(file_size) +
                             " bytes cannot hold a " + screen + ")");
  }
  if (canvas > budget) {
    throw CliError(name, screen + " needs " + MemoryText(canvas) + " to read, more than the " +
                             MemoryText(budget) + " allowed");
  }
}

}  // namespace

std::vector<std::uint8_t> FirstBytes(const std::filesystem::path& path, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  std::size_t got = 0;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    while (got < count) {
      const ssize_t n = read(fd, bytes.data() + got, count - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    close(fd);
  }
  bytes.resize(got);
  return bytes;
}

std::optional<std::uint64_t> DeclaredFileSize(const std::filesystem::path& path,
                                              const std::string& format_name) {
  if (format_name != "dpx") return std::nullopt;
  const auto sizes = ReadDpxSizes(path);
  if (!sizes) return std::nullopt;
  return sizes->file_size;
}

void CheckHeaderSizes(const std::filesystem::path& path, const std::string& name,
                      std::uint64_t budget) {
  CheckDpxSections(path, name);
  CheckExrHeader(path, name, budget);
  CheckGifScreen(path, name, budget);
}

}  // namespace cli
