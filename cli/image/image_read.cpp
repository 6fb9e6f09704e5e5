// Reading: the layer straight into a host world, everything else of the file as stored.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "cli/colour/colour_plan.h"
#include "cli/image/frame_memory.h"
#include "cli/image/header_checks.h"
#include "cli/image/image_io.h"
#include "cli/image/jpeg_quality.h"
#include "cli/report/cli_error.h"
#include "cli/report/codec_messages.h"
#include "cli/report/test_pause.h"
#include "cli/report/warnings.h"

namespace cli {
namespace {

// Parts read from one file; a file with more is refused.
constexpr int kMaxParts = 1000;

// The quality a JPEG was saved at, from the tables at its start.
std::optional<int> SavedJpegQuality(const std::filesystem::path& path) {
  return JpegQuality(FirstBytes(path, 64 * 1024));
}

std::string OpenFailureReason(const std::filesystem::path& path) {
  const std::string message = OIIO::geterror();
  // The readers take a file they cannot open for one not of their format ("is not an OpenEXR
  // file" when the process is out of file descriptors): the system's reason comes first.
  const int probe = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (probe < 0) return std::string("cannot open: ") + std::strerror(errno);
  close(probe);
  // A known extension means a damaged file; otherwise no reader knows the format.
  const std::string extension = path.extension().string();
  const bool known = extension.size() > 1 && OIIO::ImageInput::create(extension.substr(1));
  OIIO::geterror();
  if (!known) return "unsupported image format";
  return CodecReason("not a readable image", message);
}

std::vector<OIIO::ImageSpec> ReadParts(OIIO::ImageInput& input, const std::string& name,
                                       bool& mip_mapped) {
  std::vector<OIIO::ImageSpec> parts;
  for (int part = 0; input.seek_subimage(part, 0); ++part) {
    if (part == kMaxParts) {
      throw CliError(name, "more than " + std::to_string(kMaxParts) + " parts in one file");
    }
    parts.push_back(input.spec());
    if (input.seek_subimage(part, 1)) mip_mapped = true;
  }
  // Looking past the last part is how its end is found; that is no error of the file.
  const std::string message = input.geterror();
  if (parts.empty()) throw CliError(name, CodecReason("not a readable image", message));
  return parts;
}

// Every part's description, before any sum is made of its windows.
void CheckParts(const std::string& name, const std::vector<OIIO::ImageSpec>& parts) {
  for (std::size_t part = 0; part < parts.size(); ++part) {
    const OIIO::ImageSpec& spec = parts[part];
    const std::string of_part = parts.size() > 1 ? " of part " + std::to_string(part) : "";
    if (spec.deep) {
      throw CliError(name, "deep image" + of_part +
                               " (several samples a pixel): not supported; flatten it first");
    }
    if (spec.width <= 0 || spec.height <= 0 || spec.depth > 1) {
      throw CliError(name, "not a two-dimensional image" + of_part);
    }
    const std::pair<const char*, FileRect> windows[] = {{"data window", DataWindow(spec)},
                                                        {"display window", DisplayWindow(spec)}};
    for (const auto& [what, rect] : windows) {
      if (rect.width < 0 || rect.height < 0) {
        throw CliError(name, what + of_part + " " + CornersText(rect) + " is inside out");
      }
      if (!WithinReach(rect)) {
        throw CliError(name, what + of_part + " " + CornersText(rect) + " lies outside the " +
                                 std::to_string(-kMaxCoordinate) + " to " +
                                 std::to_string(kMaxCoordinate) +
                                 " pixel coordinates velmora places frames at");
      }
    }
  }
}

std::string Size(const FileRect& rect) {
  return std::to_string(rect.width) + " x " + std::to_string(rect.height);
}

// Everything that can be known wrong from the header, before a pixel is read.
void CheckDeclaredSize(const std::filesystem::path& path, const SourceImage& source,
                       const ReadOptions& options) {
  const std::string name = path.string();
  const OIIO::ImageSpec& spec = source.layer_spec();
  const FileRect& rect = source.layer_rect;
  if (rect.width > kHostMaxSide || rect.height > kHostMaxSide) {
    const FileRect data = DataWindow(spec);
    // Two windows far apart make a large frame of small ones: name both.
    const std::string what = rect.width == data.width && rect.height == data.height
                                 ? "image is "
                                 : "data window " + CornersText(data) + " and display window " +
                                       CornersText(DisplayWindow(spec)) + " together span ";
    throw CliError(name, what + Size(rect) + " pixels; the host takes at most " +
                             std::to_string(kHostMaxSide) + " on a side");
  }
  std::error_code error;
  const std::uint64_t file_bytes = std::filesystem::file_size(path, error);
  if (!error && DeclaredBytes(spec) / kMaxCompressionRatio > file_bytes) {
    throw CliError(name, "truncated or corrupt image (" + std::to_string(file_bytes) +
                             " bytes cannot hold the " + Size(DataWindow(spec)) +
                             " pixels it declares)");
  }
  CheckFrameMemory(name, source, options.depth, options.repeat_edges_pad, options.overlapped,
                   options.keyed, options.max_memory);
}

// OpenEXR colour is associated by definition, whatever a header attribute claims. DPX defines
// no convention and is taken as stored (straight), as compositors read it; other formats say
// which they hold, and the reader reports it.
bool AssociatedAlpha(const SourceImage& source) {
  if (!source.layer.has_alpha()) return false;
  if (source.format_name == "openexr") return true;
  return source.format_name != "dpx" &&
         source.layer_spec().get_int_attribute("oiio:UnassociatedAlpha") == 0;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// OpenEXR is scene-linear unless tagged otherwise; other formats are linear when tagged so.
bool SceneLinear(const SourceImage& source) {
  const std::string space = Lower(source.layer_spec().get_string_attribute("oiio:ColorSpace"));
  if (space.empty()) return source.format_name == "openexr";
  return space.find("linear") != std::string::npos || space.find("lin_") == 0 ||
         space.find("aces") != std::string::npos || space.find("scene") != std::string::npos;
}

// The file's colour tag and its format's convention, for the colour plan to name its space.
FileColour FileColourOf(const SourceImage& source) {
  const OIIO::ImageSpec& spec = source.layer_spec();
  FileColour file{spec.get_string_attribute("oiio:ColorSpace")};
  const bool cineon_log = source.format_name == "cineon" ||
                          Lower(spec.get_string_attribute("dpx:Transfer")) == "logarithmic" ||
                          Lower(file.tag) == "kodaklog";
  file.convention = source.linear ? FileColour::kSceneLinear
                    : cineon_log  ? FileColour::kCineonLog
                                  : FileColour::kSrgb;
  return file;
}

std::size_t OthersBytes(const OIIO::ImageSpec& spec, const LayerChannels& layer) {
  std::size_t bytes = 0;
  for (int channel : layer.others) bytes += spec.channelformat(channel).size();
  return bytes;
}

// Why reading rows [top, bottom) of a part failed: the reader's words, else what can be told
// from the file itself.
std::string ReadFailure(OIIO::ImageInput& input, const std::filesystem::path& path,
                        const SourceImage& source, int top, int bottom) {
  const std::string message = input.geterror();
  if (!message.empty()) return CodecReason("truncated or corrupt image", message);
  std::error_code error;
  const std::uint64_t actual = std::filesystem::file_size(path, error);
  const auto declared = DeclaredFileSize(path, source.format_name);
  if (!error && declared && actual < *declared) {
    return "truncated image (" + std::to_string(actual) + " of the " + std::to_string(*declared) +
           " bytes its header declares)";
  }
  return "corrupt image (rows " + std::to_string(top) + " to " + std::to_string(bottom - 1) +
         " cannot be decoded)";
}

// Reads the layer part row strip by row strip: the layer into the world, the part's other
// channels into source.carried, the layer converted by to_working when given. Says whether
// values above 1.0 were clipped and whether any sample was not a finite number.
RowStoreNotes ReadLayerPart(OIIO::ImageInput& input, const std::filesystem::path& path,
                            SourceImage& source, const hostsim::World& world,
                            const OIIO::ColorProcessor* to_working) {
  const OIIO::ImageSpec& spec = source.layer_spec();
  const LayerChannels& layer = source.layer;
  const std::size_t pixel_bytes = spec.pixel_bytes(true);
  const std::size_t row_bytes = pixel_bytes * static_cast<std::size_t>(spec.width);
  const std::size_t others_bytes = OthersBytes(spec, layer);
  source.carried.resize(others_bytes * static_cast<std::size_t>(spec.width) * spec.height);
  // Tiled files are read whole; scanline files in strips.
  const bool whole = spec.tile_width > 0;
  const int strip_rows =
      whole ? spec.height
            : static_cast<int>(std::clamp<std::size_t>(kStripBytes / row_bytes, 1, spec.height));
  std::vector<std::byte> strip(row_bytes * static_cast<std::size_t>(strip_rows));
  const int world_x = spec.x - source.layer_rect.x;
  RowStoreNotes notes;
  for (int top = spec.y; top < spec.y + spec.height; top += strip_rows) {
    const int bottom = std::min(top + strip_rows, spec.y + spec.height);
    const bool read =
        whole ? input.read_image(layer.part, 0, 0, spec.nchannels, OIIO::TypeUnknown, strip.data())
              : input.read_scanlines(layer.part, 0, top, bottom, 0, 0, spec.nchannels,
                                     OIIO::TypeUnknown, strip.data());
    if (!read || input.has_error()) {
      throw CliError(path.string(), ReadFailure(input, path, source, top, bottom));
    }
    if (top == spec.y) PauseIfAsked("mid-read:" + path.filename().string());
    for (int y = top; y < bottom; ++y) {
      const std::byte* row = strip.data() + static_cast<std::size_t>(y - top) * row_bytes;
      notes |= StoreFileRow(spec, layer, source.associated_alpha, row, spec.width, world, world_x,
                            y - source.layer_rect.y, to_working);
      if (others_bytes == 0) continue;
      std::byte* carried =
          source.carried.data() + static_cast<std::size_t>(y - spec.y) * spec.width * others_bytes;
      for (int x = 0; x < spec.width; ++x) {
        const std::byte* pixel = row + static_cast<std::size_t>(x) * pixel_bytes;
        for (int channel : layer.others) {
          const std::size_t size = spec.channelformat(channel).size();
          std::memcpy(carried, pixel + spec.pixel_bytes(0, channel, true), size);
          carried += size;
        }
      }
    }
  }
  return notes;
}

}  // namespace

void SetCodecThreads(int count) {
  OIIO::attribute("threads", count);
  OIIO::attribute("exr_threads", count);
}

void CheckReadableFile(const std::filesystem::path& path) {
  const std::string name = path.string();
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) throw CliError(name, "no such file");
    throw CliError(name, std::string("cannot reach: ") + std::strerror(errno));
  }
  if (S_ISDIR(info.st_mode)) throw CliError(name, "is a directory");
  if (!S_ISREG(info.st_mode)) throw CliError(name, "not a regular file");
  if (access(path.c_str(), R_OK) != 0) {
    throw CliError(name, std::string("cannot read: ") + std::strerror(errno));
  }
}

InputFrame ReadImage(const std::filesystem::path& path, const ReadOptions& options,
                     hostsim::WorldStore& store) {
  const std::string name = path.string();
  CheckReadableFile(path);
  try {
    // Ask readers for the pixels as stored: straight colour stays straight.
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    CheckHeaderSizes(path, name, options.max_memory.value_or(MachineMemory()));
    auto input = OIIO::ImageInput::open(name, &config);
    if (!input) throw CliError(name, OpenFailureReason(path));

    InputFrame frame;
    SourceImage& source = frame.source;
    source.format_name = input->format_name();
    source.parts = ReadParts(*input, name, source.mip_mapped);
    if (source.format_name == "jpeg") source.jpeg_quality = SavedJpegQuality(path);
    CheckParts(name, source.parts);
    const auto layer = FindLayer(source.parts, options.layer);
    if (!layer) {
      throw CliError(name, "no layer " + Quoted(options.layer) +
                               " (layers: " + LayerNames(source.parts) + ")");
    }
    source.layer = *layer;
    const OIIO::ImageSpec& spec = source.layer_spec();
    source.layer_rect = Union(DataWindow(spec), DisplayWindow(spec));
    CheckDeclaredSize(path, source, options);
    source.associated_alpha = AssociatedAlpha(source);
    source.linear = SceneLinear(source);
    std::shared_ptr<const OIIO::ColorProcessor> to_working;
    if (options.colour) {
      source.colour_space = options.colour->InputSpace(FileColourOf(source), name);
      to_working = options.colour->ToWorking(source.colour_space);
    }

    const FileRect& rect = source.layer_rect;
    frame.world = OwnedWorld(store, store.Create(options.depth, rect.width, rect.height));
    if (!frame.world.get()) {
      throw CliError(name, "the host refused a " + Size(rect) + " world");
    }
    const RowStoreNotes notes = ReadLayerPart(*input, path, source, *frame.world, to_working.get());

    source.other_parts.resize(source.parts.size());
    for (std::size_t part = 0; part < source.parts.size(); ++part) {
      if (static_cast<int>(part) == source.layer.part) continue;
      const OIIO::ImageSpec& other = source.parts[part];
      std::vector<std::byte>& pixels = source.other_parts[part];
      pixels.resize(other.image_bytes(true));
      if (!input->read_image(static_cast<int>(part), 0, 0, other.nchannels, OIIO::TypeUnknown,
                             pixels.data()) ||
          input->has_error()) {
        throw CliError(name, ReadFailure(*input, path, source, other.y, other.y + other.height));
      }
    }
    input->close();
    if (notes.non_finite) {
      WarnOnce("non-finite", name + ": NaN and infinite samples are read as 0");
    }
    if (notes.clipped) {
      WarnOnce("clipped", name + ": values above 1.0 are clipped at the " +
                              DepthName(options.depth) +
                              " processing depth (the default float depth keeps them)");
    }
    return frame;
  } catch (const std::bad_alloc&) {
    throw CliError(name, "out of memory while reading");
  }
}

}  // namespace cli
