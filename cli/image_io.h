#pragma once
// Reading and writing image files through OpenImageIO, with the conversions between a file's
// own layout (any channel count, associated or straight alpha) and the tool's Image.

#include <OpenImageIO/imageio.h>

#include <filesystem>
#include <optional>
#include <string>

#include "cli/image.h"

namespace cli {

// The host refuses worlds larger than this on a side.
inline constexpr int kHostMaxSide = 30000;

struct ImageFile {
  Image image;
  OIIO::ImageSpec spec;     // the file's own description: pixel type, channels, metadata
  std::string format_name;  // OpenImageIO's name for the format: "png", "openexr", ...
  bool had_alpha = false;
  bool associated_alpha = false;  // the file stores colour multiplied by alpha
};

// Reads the first image of a file at the given processing depth (the file's natural depth
// when none is given). Colour comes out straight; files without alpha get an opaque one.
// Throws CliError naming the file and the reason.
ImageFile ReadImage(const std::filesystem::path& path, std::optional<hostsim::Depth> depth);

// Throws CliError unless OpenImageIO can write files of this name's format.
void CheckWritableFormat(const std::filesystem::path& path);

struct WriteOptions {
  bool alpha = true;  // keep the alpha channel when the format can hold one
};

// Writes image to path through a temporary file beside it, renamed into place when complete.
// The file takes the source file's pixel type (as far as the format allows), its metadata and,
// for the same format, its alpha convention; OpenEXR is always written associated.
void WriteImage(const std::filesystem::path& path, const Image& image, const ImageFile& source,
                const WriteOptions& options);

}  // namespace cli
