// Writing: the layer from a host world, everything else of the source as it was read.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "cli/colour/colour_plan.h"
#include "cli/image/image_io.h"
#include "cli/image/pending_file.h"
#include "cli/report/cli_error.h"
#include "cli/report/codec_messages.h"
#include "cli/report/warnings.h"

namespace cli {

void CheckWritableFormat(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (std::filesystem::is_directory(status)) {
    throw CliError(path.string(), "is a directory (give a file name for the output)", kExitUsage);
  }
  // A device such as /dev/null, a pipe or a socket is never replaced by an image file.
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    throw CliError(path.string(), "is not a regular file (give a file name for the output)",
                   kExitUsage);
  }
  if (path.extension().empty()) {
    throw CliError(path.string(),
                   "has no extension to tell the output format by (.exr, .tif, .png, ...)",
                   kExitUsage);
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
// same format when it is lossless, a lossless one when it is not (said once); else the
// format's default. A JPEG keeps the quality its source was saved at.
void ChooseCompression(OIIO::ImageSpec& spec, const std::string& format, bool same_format,
                       const SourceImage& source, const WriteOptions& options,
                       const std::string& name,
                       std::vector<std::pair<std::string, std::string>>& warnings) {
  if (options.compression) {
    spec.attribute("compression", *options.compression);
  } else if (same_format) {
    const std::string carried = spec.get_string_attribute("compression");
    if (IsLossy(carried) && format != "jpeg") {
      const std::string lossless = format == "openexr" ? "zip" : "lzw";
      spec.attribute("compression", lossless);
      warnings.emplace_back("lossless", name + ": written with lossless " + lossless +
                                            " compression in place of the input's lossy " +
                                            carried + " (--compression to choose)");
    }
  }
  // TIFF deflate at zlib's fastest level unless a level is asked for: OpenImageIO compresses a
  // float TIFF on one thread, where the default level costs about as much as the whole render
  // for files about 10 % smaller (1080p float glow: 13.7 MB at level 1, 12.4 MB at level 6).
  if (!options.compression && format == "tiff" &&
      spec.get_string_attribute("compression", "zip") == "zip") {
    spec.attribute("compression", "zip:1");
  }
  if (options.quality) {
    spec.attribute("CompressionQuality", *options.quality);
  } else if (format == "jpeg" && source.jpeg_quality) {
    spec.attribute("CompressionQuality", *source.jpeg_quality);
  }
}

void MarkProvenance(OIIO::ImageSpec& spec, const std::string& format, const WriteOptions& options) {
  if (!options.software.empty()) spec.attribute("Software", options.software);
  if (options.command.empty()) return;
  // The name OpenImageIO's own tools keep the history under.
  std::string history = spec.get_string_attribute("Exif:ImageHistory");
  history += (history.empty() ? "" : "\n") + options.command;
  spec.attribute("Exif:ImageHistory", history);
  // TIFF and DPX writers drop that history: the command goes where each keeps text, TIFF's
  // description and DPX's project name (its description holds 32 bytes, the project 200).
  const char* field = format == "tiff"  ? "ImageDescription"
                      : format == "dpx" ? "DocumentName"
                                        : nullptr;
  if (field) {
    std::string text = spec.get_string_attribute(field);
    text += (text.empty() ? "" : "\n") + options.command;
    spec.attribute(field, text);
  }
}

// The bits a sample may be stored in, as image files hold them.
bool StoredDepth(int bits) {
  return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 10 || bits == 12 ||
         bits == 16 || bits == 32 || bits == 64;
}

// A part's attributes as they go to a file of this format.
void CarryAttributes(const OIIO::ImageSpec& from, OIIO::ImageSpec& to, bool same_format) {
  for (const OIIO::ParamValue& attribute : from.extra_attribs) {
    const std::string name = attribute.name().string();
    if (name == "oiio:UnassociatedAlpha") continue;
    // Only the full-resolution level is written: nothing may promise the reduced ones (the
    // OpenEXR writer then waits for levels that never come).
    if (name == "textureformat" || name == "openexr:levelmode") continue;
    // Some writers stop the process on an empty text (the JPEG writer's comment marker).
    if (attribute.type() == OIIO::TypeString && attribute.get_string().empty()) continue;
    // Settings that only mean something to the source's own format.
    if (!same_format && (name == "compression" || name == "oiio:BitsPerSample")) continue;
    // A depth no writer stores (a damaged header's 85 bits): the DPX writer sizes its rows by
    // it and stopped the process.
    if (name == "oiio:BitsPerSample" && !StoredDepth(attribute.get_int())) continue;
    // The DPX writer derives the channel layout from the channels written, which may not be
    // the source's (an alpha added, grey made RGB); a layout it cannot map stops the process.
    if (name == "dpx:ImageDescriptor") continue;
    // The source file's own layout: the DPX writer allocates the padding it is told of (a
    // header claiming 4 GB of it ended the process).
    if (name == "dpx:EndOfImagePadding" || name == "dpx:EndOfLinePadding") continue;
    to.extra_attribs.push_back(attribute);
  }
}

OIIO::TypeDesc ColourType(const SourceImage& source, const std::string& format,
                          const WriteOptions& options) {
  if (options.data_type) return FindDataType(*options.data_type)->type;
  const OIIO::TypeDesc stored = source.layer_spec().channelformat(source.layer.colour_channel());
  // DPX readers expect integers; a float DPX is rarely what anyone wants.
  if (format == "dpx" && format != source.format_name && stored.is_floating_point()) {
    return OIIO::TypeDesc::UINT16;
  }
  return stored;
}

// The file's name for the channel that takes a world role (0 to 3: R, G, B, A).
std::string ChannelName(const SourceImage& source, int role, bool grey) {
  const LayerChannels& layer = source.layer;
  const int channel = layer.rgba[static_cast<std::size_t>(role)];
  if (channel < 0 || (layer.grey() && !grey && role < 3)) return layer.prefix + "RGBA"[role];
  return source.layer_spec().channelnames[static_cast<std::size_t>(channel)];
}

}  // namespace

LayerOutput ChooseLayerOutput(const OIIO::ImageOutput& output, const hostsim::World& result, int x,
                              int y, const SourceImage& source, const WriteOptions& options,
                              const std::string& name) {
  const std::string format = output.format_name();
  const bool same_format = format == source.format_name;
  const OIIO::ImageSpec& from = source.layer_spec();
  LayerOutput out;
  const bool alpha = options.alpha && output.supports("alpha");
  // A grey layer stays grey unless the glow was tinted (a colourless glow keeps R = G = B).
  // DPX has no layout for grey with alpha (its writer stops the process): that goes as RGBA.
  const bool grey = source.layer.grey() && options.keep_grey && !(alpha && format == "dpx");
  out.roles = grey ? std::vector<int>{0} : std::vector<int>{0, 1, 2};
  if (alpha) out.roles.push_back(3);
  // OpenEXR holds associated colour by definition; other formats keep the source's convention
  // when it is the same format, and straight colour otherwise. Without an alpha channel the
  // colour is written as seen over black.
  out.associate = !alpha || format == "openexr" || (same_format && source.associated_alpha);
  out.carry_others = !source.layer.others.empty() && format == "openexr";
  if (!source.layer.others.empty() && !out.carry_others) {
    out.warnings.emplace_back("channels", name + ": only colour and alpha written; " + format +
                                              " holds no other channels (" +
                                              std::to_string(source.layer.others.size()) +
                                              " left out)");
  }

  const bool data_windows = output.supports("displaywindow");
  FileRect display = DisplayWindow(from);
  if (options.downsample > 1) {
    display = {display.x / options.downsample, display.y / options.downsample,
               display.width / options.downsample, display.height / options.downsample};
  }
  const FileRect covered{x, y, result.width(), result.height()};
  out.region = data_windows && covered.width > 0 && covered.height > 0 ? covered : display;
  // The layer's coordinates of the file's (0, 0). A format that holds no negative offsets (DPX)
  // keeps its display window at its origin and the data at or past it: the display window's
  // corner becomes the file's origin, and what lies left of or above it is not written.
  int origin_x = 0;
  int origin_y = 0;
  if (data_windows && !output.supports("negativeorigin")) {
    origin_x = display.x;
    origin_y = display.y;
    const int left = std::max(out.region.x, display.x);
    const int top = std::max(out.region.y, display.y);
    out.region.width -= left - out.region.x;
    out.region.height -= top - out.region.y;
    out.region.x = left;
    out.region.y = top;
    if (out.region.width <= 0 || out.region.height <= 0) out.region = display;
  }

  const OIIO::TypeDesc colour = ColourType(source, format, options);
  std::vector<OIIO::TypeDesc> types(out.roles.size(), colour);
  std::vector<std::string> names;
  for (int role : out.roles) names.push_back(ChannelName(source, role, grey));
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
  spec.alpha_channel = alpha ? static_cast<int>(out.roles.size()) - 1 : -1;
  if (data_windows) {
    spec.x = out.region.x - origin_x;
    spec.y = out.region.y - origin_y;
    spec.full_x = display.x - origin_x;
    spec.full_y = display.y - origin_y;
    spec.full_width = display.width;
    spec.full_height = display.height;
  }
  // The source's tiling when the same format holds it: tile-friendly readers stay fast.
  if (same_format && from.tile_width > 0 && output.supports("tiles")) {
    spec.tile_width = from.tile_width;
    spec.tile_height = std::max(from.tile_height, 1);
    spec.tile_depth = 1;
  }
  CarryAttributes(from, spec, same_format);
  if (options.data_type) {
    spec.erase_attribute("oiio:BitsPerSample");
    const int bits = FindDataType(*options.data_type)->bits;
    if (bits == 10) spec.attribute("oiio:BitsPerSample", bits);
  }
  if (alpha && !out.associate) spec.attribute("oiio:UnassociatedAlpha", 1);
  if (options.colour && !source.colour_space.empty()) {
    const std::string space = options.colour->OutputSpace(source.colour_space);
    out.to_output = options.colour->ToOutput(source.colour_space);
    spec.attribute("oiio:ColorSpace",
                   format == "png" ? options.colour->config().PngTag(space) : space);
    const ColourConfig::Nature nature = options.colour->config().nature(space);
    if (format == "openexr" && !nature.linear && !nature.data) {
      out.warnings.emplace_back("exr colour",
                                name +
                                    ": OpenEXR keeps no colour-space name and its readers take "
                                    "it as linear, but this file holds " +
                                    Quoted(space) + " values");
    }
    // The source's ICC profile and DPX transfer curve describe its own values, not another
    // space's.
    if (space != source.colour_space) {
      spec.erase_attribute("ICCProfile");
      spec.erase_attribute("dpx:Transfer");
    }
  }
  ChooseCompression(spec, format, same_format, source, options, name, out.warnings);
  MarkProvenance(spec, format, options);
  return out;
}

void FillLayerRow(const LayerOutput& out, const hostsim::World& result, int x, int y,
                  const SourceImage& source, int row_y, std::byte* row) {
  const OIIO::ImageSpec& spec = out.spec;
  const std::size_t pixel_bytes = spec.pixel_bytes(true);
  const int colour_channels = static_cast<int>(out.roles.size());
  const std::size_t colour_bytes = spec.pixel_bytes(0, colour_channels, true);
  const std::size_t others_bytes = pixel_bytes - colour_bytes;
  const FileRect& region = out.region;
  std::fill(row, row + pixel_bytes * static_cast<std::size_t>(region.width), std::byte{0});
  const int left = std::max(region.x, x);
  const int right = std::min(region.x + region.width, x + result.width());
  if (row_y >= y && row_y < y + result.height() && left < right) {
    LoadWorldRow(result, left - x, row_y - y, right - left, out.associate, spec, out.roles,
                 row + (left - region.x) * pixel_bytes, out.to_output.get());
  }
  const FileRect data = DataWindow(source.layer_spec());
  if (out.carry_others && row_y >= data.y && row_y < data.y + data.height) {
    const int from = std::max(region.x, data.x);
    const int to = std::min(region.x + region.width, data.x + data.width);
    const std::byte* carried =
        source.carried.data() +
        (static_cast<std::size_t>(row_y - data.y) * data.width + (from - data.x)) * others_bytes;
    for (int column = from; column < to; ++column, carried += others_bytes) {
      std::memcpy(row + (column - region.x) * pixel_bytes + colour_bytes, carried, others_bytes);
    }
  }
}

namespace {

// Writes the layer's rows strip by strip.
bool WriteLayerRows(OIIO::ImageOutput& output, const LayerOutput& out, const hostsim::World& result,
                    int x, int y, const SourceImage& source) {
  const OIIO::ImageSpec& spec = out.spec;
  const FileRect& region = out.region;
  const std::size_t row_bytes = spec.pixel_bytes(true) * static_cast<std::size_t>(region.width);
  int strip_rows = static_cast<int>(
      std::clamp<std::size_t>(kStripBytes / std::max<std::size_t>(row_bytes, 1), 1,
                              static_cast<std::size_t>(std::max(region.height, 1))));
  // A tiled file takes whole rows of tiles.
  const int tile_rows = spec.tile_width > 0 ? spec.tile_height : 1;
  strip_rows = (strip_rows + tile_rows - 1) / tile_rows * tile_rows;
  const OIIO::TypeDesc row_type = spec.channelformats.empty() ? spec.format : OIIO::TypeUnknown;
  std::vector<std::byte> strip(row_bytes * static_cast<std::size_t>(strip_rows));
  // The writer numbers rows and columns from the file's own origin, which is not the layer's
  // where the format holds no windows (there the file starts at 0, 0 whatever it covers).
  const int file_y = spec.y - region.y;
  for (int top = region.y; top < region.y + region.height; top += strip_rows) {
    const int bottom = std::min(top + strip_rows, region.y + region.height);
    for (int row_y = top; row_y < bottom; ++row_y) {
      FillLayerRow(out, result, x, y, source, row_y,
                   strip.data() + static_cast<std::size_t>(row_y - top) * row_bytes);
    }
    const bool written =
        spec.tile_width > 0
            ? output.write_tiles(spec.x, spec.x + region.width, top + file_y, bottom + file_y, 0, 1,
                                 row_type, strip.data())
            : output.write_scanlines(top + file_y, bottom + file_y, 0, row_type, strip.data());
    if (!written) return false;
  }
  return true;
}

// What is wrong with the finished temporary file, read back through its descriptor: its
// header and every page must read (a writer may fail its last write without a word), or "".
std::string ReadBackProblem(const PendingFile& pending, const std::string& format,
                            std::size_t pages) {
  auto input = OIIO::ImageInput::create(format);
  if (!input) {
    OIIO::geterror();
    return "no reader for " + format;
  }
  const auto file = pending.ReadBack();
  if (!file) return std::strerror(errno);
  OIIO::Filesystem::IOProxy* proxy = file.get();
  OIIO::ImageSpec config;
  config.attribute("oiio:ioproxy", OIIO::TypeDesc::PTR, &proxy);
  OIIO::ImageSpec spec;
  bool ok = input->open(pending.temp_path().string(), spec, config);
  for (std::size_t page = 1; ok && page < pages; ++page) {
    ok = input->seek_subimage(static_cast<int>(page), 0);
  }
  if (ok && input->seek_subimage(static_cast<int>(pages), 0)) return "more pages than written";
  std::string problem = ok ? "" : input->geterror();
  if (!ok && problem.empty()) problem = "unreadable";
  input->close();
  input->geterror();
  return problem;
}

// The one line for a write that failed: the system's reason when there is one (a full disk, a
// file size limit), else the codec's, naming the output as the user gave it.
[[noreturn]] void ThrowWriteFailure(PendingFile& pending, bool by_descriptor,
                                    const std::string& opened_as, std::string codec_reason) {
  int error = pending.write_error();
  if (!error && by_descriptor) error = pending.GrowthError();
  if (error) throw CliError(pending.shown(), std::string("cannot write: ") + std::strerror(error));
  for (const std::string& temp : {opened_as, pending.temp_path().string()}) {
    for (std::size_t at = codec_reason.find(temp); at != std::string::npos;
         at = codec_reason.find(temp, at + pending.shown().size())) {
      codec_reason.replace(at, temp.size(), pending.shown());
    }
  }
  throw CliError(pending.shown(), codec_reason);
}

void WriteParts(const std::filesystem::path& path, const hostsim::World& result, int x, int y,
                const SourceImage& source, const WriteOptions& options) {
  const std::string name = path.string();
  auto output = OIIO::ImageOutput::create(name);
  if (!output) {
    OIIO::geterror();
    throw CliError(name, "unsupported output format '" + path.extension().string() + "'");
  }
  const std::string format = output->format_name();
  const LayerOutput layer = ChooseLayerOutput(*output, result, x, y, source, options, name);
  for (const auto& [kind, text] : layer.warnings) WarnOnce(kind, text);

  // Every part when the format is the source's own and holds several, else the layer's part
  // alone: the other parts are written as stored, which only their own format's writer takes
  // as they are (another's meets channel types, tiles and attributes it does not expect).
  // OpenImageIO's DPX writer stops the process on image elements it cannot describe (two
  // channels, some combinations of descriptors and depths), so a DPX carries the layer alone.
  const bool multiimage = output->supports("multiimage") && format != "dpx";
  const bool all_parts = source.parts.size() > 1 && format == source.format_name && multiimage;
  if (source.parts.size() > 1 && !all_parts) {
    WarnOnce("parts", name + ": only the glowed part written; " + format +
                          (format != source.format_name
                               ? " gets no other parts of a " + source.format_name + " file ("
                           : format == "dpx" ? " gets no other image elements ("
                                             : " holds one image (") +
                          std::to_string(source.parts.size() - 1) + " left out)");
  }
  if (source.mip_mapped) {
    WarnOnce("mip", name +
                        ": reduced (MIP) levels not written; the glow is at full resolution "
                        "(make the levels again with oiiotool -otex or maketx)");
  }
  std::vector<int> written;
  std::vector<OIIO::ImageSpec> specs;
  for (int part = 0; part < static_cast<int>(source.parts.size()); ++part) {
    if (part == source.layer.part) {
      written.push_back(part);
      specs.push_back(layer.spec);
    } else if (all_parts) {
      written.push_back(part);
      // Written as stored, but for what the writer would size itself by from a damaged header.
      OIIO::ImageSpec spec = source.parts[static_cast<std::size_t>(part)];
      if (!StoredDepth(spec.get_int_attribute("oiio:BitsPerSample", 8))) {
        spec.erase_attribute("oiio:BitsPerSample");
      }
      spec.erase_attribute("dpx:EndOfImagePadding");
      spec.erase_attribute("dpx:EndOfLinePadding");
      std::vector<std::pair<std::string, std::string>> warnings;
      ChooseCompression(spec, format, true, source, options, name, warnings);
      for (const auto& [kind, text] : warnings) WarnOnce(kind, text);
      MarkProvenance(spec, format, options);
      specs.push_back(spec);
    }
  }

  PendingFile pending(path);
  // Bytes go through the pending file's checked stream. OpenImageIO 2.4's TIFF writer reads
  // nothing back from a stream, which libtiff needs to add a page or to return to the image
  // after writing its Exif data (the file then lacks its size or its first page), so TIFF is
  // written by libtiff itself, to the temporary file's descriptor, and read back before use.
  const bool by_descriptor = format == "tiff";
  const std::string temp = by_descriptor ? pending.DescriptorPath() : pending.temp_path().string();
  if (!by_descriptor) output->set_ioproxy(&pending.stream());
  // On every way out the writer goes before the pending file: closing may still write.
  struct CloseWriterFirst {
    std::unique_ptr<OIIO::ImageOutput>& writer;
    ~CloseWriterFirst() { writer.reset(); }
  } close_writer_first{output};
  bool ok = specs.size() > 1 ? output->open(temp, static_cast<int>(specs.size()), specs.data())
                             : output->open(temp, specs.front());
  for (std::size_t i = 0; ok && i < written.size(); ++i) {
    if (i > 0) ok = output->open(temp, specs[i], OIIO::ImageOutput::AppendSubimage);
    if (!ok) break;
    const int part = written[i];
    ok = part == source.layer.part
             ? WriteLayerRows(*output, layer, result, x, y, source)
             : output->write_image(
                   specs[i].channelformats.empty() ? specs[i].format : OIIO::TypeUnknown,
                   source.other_parts[static_cast<std::size_t>(part)].data());
  }
  ok = ok && output->close();
  // The writer is done only when gone (OpenEXR's writes its line offsets as it is destroyed).
  const std::string codec_error = output->geterror();
  output.reset();
  const std::string unread = ok ? ReadBackProblem(pending, format, written.size()) : "";
  if (!ok || !unread.empty()) {
    ThrowWriteFailure(pending, by_descriptor, temp,
                      ok ? "cannot write: the file written does not read back (" + unread + ")"
                         : CodecReason("cannot write", codec_error));
  }
  pending.Commit();
}

}  // namespace

void WriteImage(const std::filesystem::path& path, const hostsim::World& result, int x, int y,
                const SourceImage& source, const WriteOptions& options) {
  try {
    WriteParts(path, result, x, y, source, options);
  } catch (const std::bad_alloc&) {
    throw CliError(path.string(), "out of memory while writing");
  }
}

void CheckCompression(const std::filesystem::path& path, const std::string& compression) {
  auto output = OIIO::ImageOutput::create(path.string());
  if (!output) return;
  const std::string format = output->format_name();
  // The formats whose writers fall back to a default, without a word, for a name they do not know.
  const std::vector<std::string> known =
      format == "openexr" ? std::vector<std::string>{"none",  "rle", "zips", "zip",  "piz",
                                                     "pxr24", "b44", "b44a", "dwaa", "dwab"}
      : format == "tiff"
          ? std::vector<std::string>{"none", "lzw", "zip", "packbits", "ccittrle", "jpeg"}
          : std::vector<std::string>{};
  const std::string name = compression.substr(0, compression.find(':'));
  if (known.empty() || std::find(known.begin(), known.end(), name) != known.end()) return;
  std::string list;
  for (const std::string& word : known) list += (list.empty() ? "" : ", ") + word;
  throw CliError("--compression",
                 "'" + name + "' is not one of " + format + "'s compressions (" + list + ")",
                 kExitUsage);
}

void CheckDataType(const std::string& name) {
  if (!FindDataType(name)) {
    throw CliError("--data-type", "'" + name + "' is not one of uint8, uint10, uint16, half, float",
                   kExitUsage);
  }
}

}  // namespace cli
