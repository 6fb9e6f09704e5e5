#pragma once
// Reading and writing image files through OpenImageIO: the layer the glow works on goes
// straight into a host world and comes back from one; every other channel and part of the
// file is kept as stored and written back unchanged.

#include <OpenImageIO/imageio.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/image/image.h"
#include "cli/image/world_transfer.h"

namespace cli {

// Rows are read and written in strips of about this many bytes: a call of many rows lets the
// codecs decompress and compress blocks on several threads.
inline constexpr std::size_t kStripBytes = std::size_t{4} << 20;

// The host refuses worlds larger than this on a side.
inline constexpr int kHostMaxSide = hostsim::kMaxWorldSide;

class ColourPlan;

struct ReadOptions {
  hostsim::Depth depth = hostsim::Depth::k32;  // the processing depth
  std::string layer;                           // "" for the main RGBA layer
  std::optional<std::uint64_t> max_memory;     // default: what the machine has
  bool overlapped = false;                     // frames are read and written while others render
  int repeat_edges_pad = 0;                    // RepeatEdgesPad of the render's controls
  bool keyed = false;                          // a highlights threshold copies the frame
  // When set, the layer enters the world converted to the working space (in float).
  std::shared_ptr<const ColourPlan> colour;
};

struct InputFrame {
  SourceImage source;
  OwnedWorld world;  // the layer over source.layer_rect, straight colour; opaque without alpha
};

// Reads a file: the layer into a new world of store, the rest into InputFrame::source. The
// layer covers the data window and the display window together, transparent where the file
// holds no pixels. Throws CliError naming the file and the reason; nothing is read from
// anything but a regular file, and a frame too large for the memory allowed is refused before
// its pixels are read.
InputFrame ReadImage(const std::filesystem::path& path, const ReadOptions& options,
                     hostsim::WorldStore& store);

// The codecs' own threads (decompressing and compressing blocks of rows): as many as the
// host's worker pool, so --threads bounds the whole process.
void SetCodecThreads(int count);

// Throws CliError unless path names an existing regular file this user can read.
void CheckReadableFile(const std::filesystem::path& path);

// Throws CliError unless OpenImageIO can write files of this name's format there.
void CheckWritableFormat(const std::filesystem::path& path);

// Throws CliError (usage) when the output's format knows no compression of this name.
void CheckCompression(const std::filesystem::path& path, const std::string& compression);

// The --data-type names: uint8, uint10, uint16, half, float. Throws CliError (usage) otherwise.
void CheckDataType(const std::string& name);

struct WriteOptions {
  bool alpha = true;      // keep the alpha channel when the format can hold one
  bool keep_grey = true;  // a grey layer is written grey (false when the glow was tinted)
  std::optional<std::string> data_type;    // the colour channels' type (CheckDataType)
  std::optional<std::string> compression;  // "zip", "dwaa:45", "jpeg:90", ...
  std::optional<int> quality;              // JPEG quality, 1 to 100
  std::string software;                    // "velmora 1.0.0"
  std::string command;                     // appended to the ImageHistory attribute
  // When set, the layer leaves the world converted to the output space, tagged with its name.
  std::shared_ptr<const ColourPlan> colour;
  // The result is the source at 1/downsample of its size (the host's reduced render).
  int downsample = 1;
};

// How the layer's part is written, decided before a byte goes out: the channels and their
// types, straight or associated colour, the windows, the attributes and the compression.
// WriteImage writes it to a file; the preview encodes the same in memory.
struct LayerOutput {
  OIIO::ImageSpec spec;
  FileRect region;            // the rows and columns written, in the layer's coordinates
  std::vector<int> roles;     // the world role (0 to 3: R, G, B, A) of each colour channel
  bool associate = true;      // colour multiplied by alpha (always, without an alpha channel)
  bool carry_others = false;  // the layer's other channels follow its colour and alpha
  std::shared_ptr<const OIIO::ColorProcessor> to_output;  // null when the colour goes as it is
  // What the output leaves out or changes, as WarnOnce's kind and text; the writer says them.
  std::vector<std::pair<std::string, std::string>> warnings;
};

// The layer's output for output's format, result's origin at (x, y) of the source layer's
// coordinates; name is the output as the user gave it, for the warnings.
LayerOutput ChooseLayerOutput(const OIIO::ImageOutput& output, const hostsim::World& result, int x,
                              int y, const SourceImage& source, const WriteOptions& options,
                              const std::string& name);

// Fills row row_y (of the layer's coordinates) of out's region in out.spec's layout: the result
// where it reaches, zero elsewhere, and the layer's other channels where the source held them.
void FillLayerRow(const LayerOutput& out, const hostsim::World& result, int x, int y,
                  const SourceImage& source, int row_y, std::byte* row);

// Writes result (its origin at (x, y) of the source layer's coordinates) to path through a
// temporary file beside it, renamed into place when complete. Formats with data windows get
// the window the result covers; others the source's display window. The colour channels take
// the source's stored type unless asked otherwise, lossy compression is replaced by a
// lossless one unless asked, metadata carries over, and the layer's other channels and the
// file's other parts go along unchanged where the format holds them (a warning otherwise).
void WriteImage(const std::filesystem::path& path, const hostsim::World& result, int x, int y,
                const SourceImage& source, const WriteOptions& options);

}  // namespace cli
