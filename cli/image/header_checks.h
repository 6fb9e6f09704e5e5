#pragma once
// Sizes in a file's header that the image libraries trust: checked before a reader opens the
// file, since some readers allocate what a header declares (or overflow on it) as they open.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// A file declaring more pixel bytes than this many times its own size is damaged or hostile:
// no codec a file format uses packs an image that tightly.
inline constexpr std::uint64_t kMaxCompressionRatio = 100000;

// Up to count bytes from the start of a file (fewer when it is shorter or cannot be read).
std::vector<std::uint8_t> FirstBytes(const std::filesystem::path& path, std::size_t count);

// The file size a DPX header declares (its readers stop without a word when the file is
// shorter); nullopt for other formats or a header that cannot be read.
std::optional<std::uint64_t> DeclaredFileSize(const std::filesystem::path& path,
                                              const std::string& format_name);

// Throws CliError naming name when the header of a DPX, OpenEXR or GIF file declares sizes its
// reader would act on unsafely, or buffers larger than budget bytes. Any other file passes.
void CheckHeaderSizes(const std::filesystem::path& path, const std::string& name,
                      std::uint64_t budget);

}  // namespace cli
