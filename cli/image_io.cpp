#include "cli/image_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "cli/cli_error.h"
#include "cli/frame_memory.h"
#include "cli/pending_file.h"
#include "cli/warnings.h"

namespace cli {
namespace {

// A file declaring more pixels than this many times its own size is damaged or hostile: no
// codec a file format uses packs an image that tightly.
constexpr std::uint64_t kMaxCompressionRatio = 100000;
// Parts read from one file; a file with more is refused.
constexpr int kMaxParts = 1000;
// Rows are read in strips of about this many bytes.
constexpr std::size_t kStripBytes = std::size_t{4} << 20;

// OpenImageIO's messages can span lines; ours are one line.
std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The reader's own reason in parentheses, or words of ours when it gave none.
std::string Reason(const std::string& what, std::string message) {
  message = OneLine(std::move(message));
  return message.empty() ? what + " (the reader gave no reason)" : what + " (" + message + ")";
}

// Codecs such as libpng print their own complaints on stderr; the tool's report is one line.
class SilencedStderr {
 public:
  SilencedStderr() : saved_(dup(STDERR_FILENO)) {
    std::fflush(stderr);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, STDERR_FILENO);
      close(null);
    }
  }
  ~SilencedStderr() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      dup2(saved_, STDERR_FILENO);
      close(saved_);
    }
  }
  SilencedStderr(const SilencedStderr&) = delete;
  SilencedStderr& operator=(const SilencedStderr&) = delete;

 private:
  int saved_;
};

std::string OpenFailureReason(const std::filesystem::path& path) {
  const std::string message = OIIO::geterror();
  // A known extension means a damaged file; otherwise no reader knows the format.
  const std::string extension = path.extension().string();
  const bool known = extension.size() > 1 && OIIO::ImageInput::create(extension.substr(1));
  OIIO::geterror();
  if (!known) return "unsupported image format";
  return Reason("not a readable image", message);
}

std::vector<OIIO::ImageSpec> ReadParts(OIIO::ImageInput& input, const std::string& name) {
  std::vector<OIIO::ImageSpec> parts;
  for (int part = 0; input.seek_subimage(part, 0); ++part) {
    if (part == kMaxParts) {
      throw CliError(name, "more than " + std::to_string(kMaxParts) + " parts in one file");
    }
    parts.push_back(input.spec());
  }
  // Looking past the last part is how its end is found; that is no error of the file.
  const std::string message = input.geterror();
  if (parts.empty()) throw CliError(name, Reason("not a readable image", message));
  return parts;
}

std::uint64_t DeclaredBytes(const OIIO::ImageSpec& spec) {
  const std::uint64_t stored_bits = 8 * spec.channelformat(0).size();
  const std::uint64_t bits = static_cast<std::uint64_t>(
      std::clamp<int>(spec.get_int_attribute("oiio:BitsPerSample", static_cast<int>(stored_bits)),
                      1, static_cast<int>(stored_bits)));
  return static_cast<std::uint64_t>(spec.width) * static_cast<std::uint64_t>(spec.height) *
         spec.pixel_bytes(true) * bits / stored_bits;
}

std::string Size(const FileRect& rect) {
  return std::to_string(rect.width) + " x " + std::to_string(rect.height);
}

// Everything that can be known wrong from the header, before a pixel is read.
void CheckDeclaredSize(const std::filesystem::path& path, const SourceImage& source,
                       const ReadOptions& options) {
  const std::string name = path.string();
  const OIIO::ImageSpec& spec = source.layer_spec();
  if (spec.width <= 0 || spec.height <= 0 || spec.depth > 1) {
    throw CliError(name, "not a two-dimensional image");
  }
  const FileRect& rect = source.layer_rect;
  if (rect.width > kHostMaxSide || rect.height > kHostMaxSide) {
    throw CliError(name, "image is " + Size(rect) + " pixels; the host takes at most " +
                             std::to_string(kHostMaxSide) + " on a side");
  }
  std::error_code error;
  const std::uint64_t file_bytes = std::filesystem::file_size(path, error);
  if (!error && DeclaredBytes(spec) / kMaxCompressionRatio > file_bytes) {
    throw CliError(name, "truncated or corrupt image (" + std::to_string(file_bytes) +
                             " bytes cannot hold the " + Size(DataWindow(spec)) +
                             " pixels it declares)");
  }
  std::uint64_t needed = RenderMemory(rect.width, rect.height, options.depth);
  for (const OIIO::ImageSpec& part : source.parts) needed += DeclaredBytes(part);
  const std::uint64_t allowed = options.max_memory.value_or(MachineMemory());
  if (needed > allowed) {
    throw CliError(name, "a " + Size(rect) + " frame needs about " + MemoryText(needed) +
                             " to render at " + DepthName(options.depth) + "; " +
                             (options.max_memory ? "--max-memory allows " : "this machine has ") +
                             MemoryText(allowed) + " (--max-memory SIZE to allow more)");
  }
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

// OpenEXR is scene-linear unless tagged otherwise; other formats are linear when tagged so.
bool SceneLinear(const SourceImage& source) {
  std::string space = source.layer_spec().get_string_attribute("oiio:ColorSpace");
  std::transform(space.begin(), space.end(), space.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (space.empty()) return source.format_name == "openexr";
  return space.find("linear") != std::string::npos || space.find("lin_") == 0 ||
         space.find("aces") != std::string::npos || space.find("scene") != std::string::npos;
}

std::size_t OthersBytes(const OIIO::ImageSpec& spec, const LayerChannels& layer) {
  std::size_t bytes = 0;
  for (int channel : layer.others) bytes += spec.channelformat(channel).size();
  return bytes;
}

// Reads the layer part row strip by row strip: the layer into the world, the part's other
// channels into source.carried. Returns true when values above 1.0 were clipped.
bool ReadLayerPart(OIIO::ImageInput& input, const std::string& name, SourceImage& source,
                   const hostsim::World& world) {
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
  bool clipped = false;
  for (int top = spec.y; top < spec.y + spec.height; top += strip_rows) {
    const int bottom = std::min(top + strip_rows, spec.y + spec.height);
    const bool read =
        whole ? input.read_image(layer.part, 0, 0, spec.nchannels, OIIO::TypeUnknown, strip.data())
              : input.read_scanlines(layer.part, 0, top, bottom, 0, 0, spec.nchannels,
                                     OIIO::TypeUnknown, strip.data());
    if (!read || input.has_error()) {
      throw CliError(name, Reason("truncated or corrupt image", input.geterror()));
    }
    for (int y = top; y < bottom; ++y) {
      const std::byte* row = strip.data() + static_cast<std::size_t>(y - top) * row_bytes;
      clipped |= StoreFileRow(spec, layer, source.associated_alpha, row, spec.width, world, world_x,
                              y - source.layer_rect.y);
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
  return clipped;
}

}  // namespace

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
    std::optional<SilencedStderr> silenced(std::in_place);
    auto input = OIIO::ImageInput::open(name, &config);
    if (!input) throw CliError(name, OpenFailureReason(path));

    InputFrame frame;
    SourceImage& source = frame.source;
    source.format_name = input->format_name();
    source.parts = ReadParts(*input, name);
    const auto layer = FindLayer(source.parts, options.layer);
    if (!layer) {
      throw CliError(name,
                     "no layer '" + options.layer + "' (layers: " + LayerNames(source.parts) + ")");
    }
    source.layer = *layer;
    const OIIO::ImageSpec& spec = source.layer_spec();
    source.layer_rect = Union(DataWindow(spec), DisplayWindow(spec));
    CheckDeclaredSize(path, source, options);
    source.associated_alpha = AssociatedAlpha(source);
    source.linear = SceneLinear(source);

    const FileRect& rect = source.layer_rect;
    frame.world = OwnedWorld(store, store.Create(options.depth, rect.width, rect.height));
    if (!frame.world.get()) {
      throw CliError(name, "the host refused a " + Size(rect) + " world");
    }
    const bool clipped = ReadLayerPart(*input, name, source, *frame.world);

    source.other_parts.resize(source.parts.size());
    for (std::size_t part = 0; part < source.parts.size(); ++part) {
      if (static_cast<int>(part) == source.layer.part) continue;
      const OIIO::ImageSpec& other = source.parts[part];
      std::vector<std::byte>& pixels = source.other_parts[part];
      pixels.resize(other.image_bytes(true));
      if (!input->read_image(static_cast<int>(part), 0, 0, other.nchannels, OIIO::TypeUnknown,
                             pixels.data()) ||
          input->has_error()) {
        throw CliError(name, Reason("truncated or corrupt image", input->geterror()));
      }
    }
    input->close();
    silenced.reset();
    if (clipped) {
      WarnOnce("clipped", name + ": values above 1.0 are clipped at the " +
                              DepthName(options.depth) +
                              " processing depth (the default float depth keeps them)");
    }
    return frame;
  } catch (const std::bad_alloc&) {
    throw CliError(name, "out of memory while reading");
  }
}

void CheckWritableFormat(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw CliError(path.string(), "is a directory (give a file name for the output)", kExitUsage);
  }
  if (!OIIO::ImageOutput::create(path.string())) {
    OIIO::geterror();
    throw CliError(path.string(), "unsupported output format '" + path.extension().string() + "'");
  }
}

namespace {

struct DataType {
  const char* name;
  OIIO::TypeDesc type;
  int bits;
};
constexpr DataType kDataTypes[] = {{"uint8", OIIO::TypeDesc::UINT8, 8},
                                   {"uint10", OIIO::TypeDesc::UINT16, 10},
                                   {"uint16", OIIO::TypeDesc::UINT16, 16},
                                   {"half", OIIO::TypeDesc::HALF, 16},
                                   {"float", OIIO::TypeDesc::FLOAT, 32}};

const DataType* FindDataType(const std::string& name) {
  for (const DataType& type : kDataTypes) {
    if (name == type.name) return &type;
  }
  return nullptr;
}

bool IsLossy(const std::string& compression) {
  const std::string name = compression.substr(0, compression.find(':'));
  for (const char* lossy : {"dwaa", "dwab", "b44", "b44a", "pxr24", "jpeg", "webp"}) {
    if (name == lossy) return true;
  }
  return false;
}

// The compression a part is written with: the one asked for; else the source's own for the
// same format when it is lossless, a lossless one when it is not; else the format's default.
void ChooseCompression(OIIO::ImageSpec& spec, const std::string& format, bool same_format,
                       const WriteOptions& options) {
  if (options.compression) {
    spec.attribute("compression", *options.compression);
  } else if (same_format) {
    const std::string carried = spec.get_string_attribute("compression");
    if (IsLossy(carried)) spec.attribute("compression", format == "openexr" ? "zip" : "lzw");
  }
  if (options.quality) spec.attribute("CompressionQuality", *options.quality);
}

void MarkProvenance(OIIO::ImageSpec& spec, const WriteOptions& options) {
  spec.attribute("Software", options.software);
  // The name OpenImageIO's own tools keep the history under (TIFF's ImageHistory tag).
  std::string history = spec.get_string_attribute("Exif:ImageHistory");
  if (!options.command.empty()) history += (history.empty() ? "" : "\n") + options.command;
  if (!history.empty()) spec.attribute("Exif:ImageHistory", history);
}

// A part's attributes as they go to a file of this format.
void CarryAttributes(const OIIO::ImageSpec& from, OIIO::ImageSpec& to, bool same_format) {
  for (const OIIO::ParamValue& attribute : from.extra_attribs) {
    const std::string name = attribute.name().string();
    if (name == "oiio:UnassociatedAlpha") continue;
    // Settings that only mean something to the source's own format.
    if (!same_format && (name == "compression" || name == "oiio:BitsPerSample")) continue;
    to.extra_attribs.push_back(attribute);
  }
}

OIIO::TypeDesc ColourType(const SourceImage& source, const std::string& format,
                          const WriteOptions& options) {
  if (options.data_type) return FindDataType(*options.data_type)->type;
  const OIIO::TypeDesc stored = source.layer_spec().channelformat(source.layer.rgba[0]);
  // DPX readers expect integers; a float DPX is rarely what anyone wants.
  if (format == "dpx" && format != source.format_name && stored.is_floating_point()) {
    return OIIO::TypeDesc::UINT16;
  }
  return stored;
}

std::string ChannelName(const SourceImage& source, int role) {
  const LayerChannels& layer = source.layer;
  const int channel = layer.rgba[static_cast<std::size_t>(role)];
  const bool grey = layer.rgba[0] == layer.rgba[1];
  if (channel < 0 || (grey && role < 3)) return layer.prefix + "RGBA"[role];
  return source.layer_spec().channelnames[static_cast<std::size_t>(channel)];
}

struct LayerOutput {
  OIIO::ImageSpec spec;
  FileRect region;  // the rows and columns written, in the layer's coordinates
  int colour_channels = 4;
  bool associate = true;
  bool carry_others = false;
};

LayerOutput DescribeLayerOutput(const OIIO::ImageOutput& output, const hostsim::World& result,
                                int x, int y, const SourceImage& source,
                                const WriteOptions& options, const std::string& name) {
  const std::string format = output.format_name();
  const bool same_format = format == source.format_name;
  const OIIO::ImageSpec& from = source.layer_spec();
  LayerOutput out;
  const bool alpha = options.alpha && output.supports("alpha");
  out.colour_channels = alpha ? 4 : 3;
  // OpenEXR holds associated colour by definition; other formats keep the source's convention
  // when it is the same format, and straight colour otherwise. Without an alpha channel the
  // colour is written as seen over black.
  out.associate = !alpha || format == "openexr" || (same_format && source.associated_alpha);
  out.carry_others = !source.layer.others.empty() && format == "openexr";
  if (!source.layer.others.empty() && !out.carry_others) {
    WarnOnce("channels", name + ": only colour and alpha written; " + format +
                             " holds no other channels (" +
                             std::to_string(source.layer.others.size()) + " left out)");
  }

  const bool data_windows = output.supports("displaywindow");
  const FileRect covered{x, y, result.width(), result.height()};
  out.region =
      data_windows && covered.width > 0 && covered.height > 0 ? covered : DisplayWindow(from);

  const OIIO::TypeDesc colour = ColourType(source, format, options);
  std::vector<OIIO::TypeDesc> types(static_cast<std::size_t>(out.colour_channels), colour);
  std::vector<std::string> names;
  for (int role = 0; role < out.colour_channels; ++role) names.push_back(ChannelName(source, role));
  if (out.carry_others) {
    for (int channel : source.layer.others) {
      types.push_back(from.channelformat(channel));
      names.push_back(from.channelnames[static_cast<std::size_t>(channel)]);
    }
  }
  OIIO::ImageSpec& spec = out.spec;
  spec =
      OIIO::ImageSpec(out.region.width, out.region.height, static_cast<int>(types.size()), colour);
  spec.channelnames = names;
  if (std::any_of(types.begin(), types.end(), [&](OIIO::TypeDesc t) { return t != colour; })) {
    spec.channelformats = types;
  }
  spec.alpha_channel = alpha ? 3 : -1;
  if (data_windows) {
    spec.x = out.region.x;
    spec.y = out.region.y;
    const FileRect display = DisplayWindow(from);
    spec.full_x = display.x;
    spec.full_y = display.y;
    spec.full_width = display.width;
    spec.full_height = display.height;
  }
  CarryAttributes(from, spec, same_format);
  if (options.data_type) {
    spec.erase_attribute("oiio:BitsPerSample");
    const int bits = FindDataType(*options.data_type)->bits;
    if (bits == 10) spec.attribute("oiio:BitsPerSample", bits);
  }
  if (alpha && !out.associate) spec.attribute("oiio:UnassociatedAlpha", 1);
  ChooseCompression(spec, format, same_format, options);
  MarkProvenance(spec, options);
  return out;
}

// Writes the layer's rows: the result where it reaches, nothing elsewhere, and the part's
// other channels where the source held them.
bool WriteLayerRows(OIIO::ImageOutput& output, const LayerOutput& out, const hostsim::World& result,
                    int x, int y, const SourceImage& source) {
  const OIIO::ImageSpec& spec = out.spec;
  const std::size_t pixel_bytes = spec.pixel_bytes(true);
  const std::size_t colour_bytes = spec.pixel_bytes(0, out.colour_channels, true);
  const std::size_t others_bytes = pixel_bytes - colour_bytes;
  const FileRect& region = out.region;
  const FileRect data = DataWindow(source.layer_spec());
  const OIIO::TypeDesc row_type = spec.channelformats.empty() ? spec.format : OIIO::TypeUnknown;
  std::vector<std::byte> row(pixel_bytes * static_cast<std::size_t>(region.width));
  for (int row_y = region.y; row_y < region.y + region.height; ++row_y) {
    std::fill(row.begin(), row.end(), std::byte{0});
    const int left = std::max(region.x, x);
    const int right = std::min(region.x + region.width, x + result.width());
    if (row_y >= y && row_y < y + result.height() && left < right) {
      LoadWorldRow(result, left - x, row_y - y, right - left, out.associate, spec,
                   out.colour_channels, row.data() + (left - region.x) * pixel_bytes);
    }
    if (out.carry_others && row_y >= data.y && row_y < data.y + data.height) {
      const int from = std::max(region.x, data.x);
      const int to = std::min(region.x + region.width, data.x + data.width);
      const std::byte* carried =
          source.carried.data() +
          (static_cast<std::size_t>(row_y - data.y) * data.width + (from - data.x)) * others_bytes;
      for (int column = from; column < to; ++column, carried += others_bytes) {
        std::memcpy(row.data() + (column - region.x) * pixel_bytes + colour_bytes, carried,
                    others_bytes);
      }
    }
    if (!output.write_scanline(row_y, 0, row_type, row.data())) return false;
  }
  return true;
}

}  // namespace

void CheckDataType(const std::string& name) {
  if (!FindDataType(name)) {
    throw CliError("--data-type", "'" + name + "' is not one of uint8, uint10, uint16, half, float",
                   kExitUsage);
  }
}

void WriteImage(const std::filesystem::path& path, const hostsim::World& result, int x, int y,
                const SourceImage& source, const WriteOptions& options) {
  const std::string name = path.string();
  auto output = OIIO::ImageOutput::create(name);
  if (!output) {
    OIIO::geterror();
    throw CliError(name, "unsupported output format '" + path.extension().string() + "'");
  }
  const std::string format = output->format_name();
  const LayerOutput layer = DescribeLayerOutput(*output, result, x, y, source, options, name);

  // Every part when the format holds several, else the layer's part alone.
  const bool all_parts = source.parts.size() > 1 && output->supports("multiimage");
  if (source.parts.size() > 1 && !all_parts) {
    WarnOnce("parts", name + ": only the glowed part written; " + format + " holds one image (" +
                          std::to_string(source.parts.size() - 1) + " left out)");
  }
  std::vector<int> written;
  std::vector<OIIO::ImageSpec> specs;
  for (int part = 0; part < static_cast<int>(source.parts.size()); ++part) {
    if (part == source.layer.part) {
      written.push_back(part);
      specs.push_back(layer.spec);
    } else if (all_parts) {
      written.push_back(part);
      OIIO::ImageSpec spec = source.parts[static_cast<std::size_t>(part)];
      ChooseCompression(spec, format, true, options);
      MarkProvenance(spec, options);
      specs.push_back(spec);
    }
  }

  PendingFile pending(path);
  SilencedStderr silenced;
  const std::string temp = pending.temp_path().string();
  bool ok = specs.size() > 1 ? output->open(temp, static_cast<int>(specs.size()), specs.data())
                             : output->open(temp, specs.front());
  for (std::size_t i = 0; ok && i < written.size(); ++i) {
    if (i > 0) ok = output->open(temp, specs[i], OIIO::ImageOutput::AppendSubimage);
    if (!ok) break;
    const int part = written[i];
    ok = part == source.layer.part
             ? WriteLayerRows(*output, layer, result, x, y, source)
             : output->write_image(OIIO::TypeUnknown,
                                   source.other_parts[static_cast<std::size_t>(part)].data());
  }
  if (!ok || !output->close()) {
    throw CliError(name, Reason("cannot write", output->geterror()));
  }
  pending.Commit();
}

}  // namespace cli
