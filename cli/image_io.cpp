#include "cli/image_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "cli/cli_error.h"
#include "cli/pending_file.h"
#include "cli/sample_types.h"

namespace cli {
namespace {

// OpenImageIO's messages can span lines; ours are one line.
std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
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

void CheckReadable(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) throw CliError(path.string(), "no such file");
  if (std::filesystem::is_directory(status)) throw CliError(path.string(), "is a directory");
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) throw CliError(path.string(), std::string("cannot read: ") + std::strerror(errno));
  close(fd);
}

std::string OpenFailureReason(const std::filesystem::path& path) {
  const std::string message = OneLine(OIIO::geterror());
  // A known extension means a damaged file; otherwise no reader knows the format.
  const std::string extension = path.extension().string();
  const bool known = extension.size() > 1 && OIIO::ImageInput::create(extension.substr(1));
  OIIO::geterror();
  if (!known) return "unsupported image format";
  return "not a readable image (" + message + ")";
}

struct ChannelMap {
  int red = 0, green = 0, blue = 0;
  int alpha = -1;  // none
};

ChannelMap MapChannels(const OIIO::ImageSpec& spec) {
  ChannelMap map;
  auto find = [&](const char* name, int fallback) {
    const int index = spec.channelindex(name);
    return index >= 0 ? index : fallback;
  };
  if (spec.nchannels >= 3) {
    map.red = find("R", 0);
    map.green = find("G", 1);
    map.blue = find("B", 2);
  }
  map.alpha = spec.alpha_channel >= 0 ? spec.alpha_channel : spec.channelindex("A");
  if (map.alpha < 0 && spec.nchannels == 2) map.alpha = 1;  // grey and alpha
  if (map.alpha < 0 && spec.nchannels == 4) map.alpha = 3;
  return map;
}

// Picks R, G, B and A out of the file's channels; grey fills all three colours.
template <class T>
void GatherRgba(const std::vector<std::byte>& file_pixels, int nchannels, const ChannelMap& map,
                Image& image) {
  const auto* source = reinterpret_cast<const T*>(file_pixels.data());
  auto* target = reinterpret_cast<T*>(image.rgba.data());
  const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
  for (std::size_t i = 0; i < count; ++i) {
    const T* in = source + i * nchannels;
    T* out = target + i * 4;
    out[0] = in[map.red];
    out[1] = in[map.green];
    out[2] = in[map.blue];
    out[3] = map.alpha >= 0 ? in[map.alpha] : FullScale<T>();
  }
}

// Associated to straight colour. Where alpha is zero the colour is kept as it is.
void Unassociate(std::vector<float>& rgba) {
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    const float alpha = rgba[i + 3];
    if (alpha != 0.0f) {
      for (int c = 0; c < 3; ++c) rgba[i + c] /= alpha;
    }
  }
}

void Associate(std::vector<float>& rgba) {
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    for (int c = 0; c < 3; ++c) rgba[i + c] *= rgba[i + 3];
  }
}

std::vector<float> ToFloat(const Image& image) {
  std::vector<float> result(static_cast<std::size_t>(image.width) * image.height * 4);
  OIIO::convert_image(4, image.width, image.height, 1, image.rgba.data(), image.type,
                      OIIO::AutoStride, OIIO::AutoStride, OIIO::AutoStride, result.data(),
                      OIIO::TypeDesc::FLOAT, OIIO::AutoStride, OIIO::AutoStride, OIIO::AutoStride);
  return result;
}

void FromFloat(const std::vector<float>& rgba, Image& image) {
  OIIO::convert_image(4, image.width, image.height, 1, rgba.data(), OIIO::TypeDesc::FLOAT,
                      OIIO::AutoStride, OIIO::AutoStride, OIIO::AutoStride, image.rgba.data(),
                      image.type, OIIO::AutoStride, OIIO::AutoStride, OIIO::AutoStride);
}

}  // namespace

ImageFile ReadImage(const std::filesystem::path& path, std::optional<hostsim::Depth> depth) {
  const std::string name = path.string();
  CheckReadable(path);

  // Ask readers for the pixels as stored: straight colour stays straight.
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  SilencedStderr silenced;
  auto input = OIIO::ImageInput::open(name, &config);
  if (!input) throw CliError(name, OpenFailureReason(path));

  ImageFile file;
  file.spec = input->spec();
  file.format_name = input->format_name();
  const OIIO::ImageSpec& spec = file.spec;
  if (spec.width <= 0 || spec.height <= 0 || spec.depth > 1) {
    throw CliError(name, "not a two-dimensional image");
  }
  if (spec.width > kHostMaxSide || spec.height > kHostMaxSide) {
    throw CliError(name, "image is " + std::to_string(spec.width) + " x " +
                             std::to_string(spec.height) + " pixels; the host takes at most " +
                             std::to_string(kHostMaxSide) + " on a side");
  }
  if (spec.nchannels < 1) throw CliError(name, "image has no channels");

  const ChannelMap map = MapChannels(spec);
  file.had_alpha = map.alpha >= 0;
  // OpenEXR colour is associated by definition, whatever a header attribute claims. DPX
  // defines no convention and is taken as stored (straight), as compositors read it; other
  // formats say which they hold, and the reader reports it.
  file.associated_alpha =
      file.had_alpha &&
      (file.format_name == "openexr" ||
       (file.format_name != "dpx" && spec.get_int_attribute("oiio:UnassociatedAlpha") == 0));

  Image& image = file.image;
  image.width = spec.width;
  image.height = spec.height;
  image.type = SampleTypeOf(depth.value_or(NaturalDepth(spec.format)));
  // Associated colour is divided in float, whatever the depth, so no precision is lost first.
  const OIIO::TypeDesc read_type = file.associated_alpha ? OIIO::TypeDesc::FLOAT : image.type;

  const std::size_t pixel_count = static_cast<std::size_t>(spec.width) * spec.height;
  std::vector<std::byte> file_pixels(pixel_count * spec.nchannels * read_type.size());
  if (!input->read_image(0, 0, 0, spec.nchannels, read_type, file_pixels.data())) {
    throw CliError(name, "truncated or corrupt image (" + OneLine(input->geterror()) + ")");
  }
  input->close();

  if (file.associated_alpha) {
    Image straight{image.width, image.height, OIIO::TypeDesc::FLOAT, {}};
    straight.rgba.resize(pixel_count * straight.pixel_bytes());
    GatherRgba<float>(file_pixels, spec.nchannels, map, straight);
    std::vector<float> rgba(reinterpret_cast<float*>(straight.rgba.data()),
                            reinterpret_cast<float*>(straight.rgba.data()) + pixel_count * 4);
    Unassociate(rgba);
    image.rgba.resize(pixel_count * image.pixel_bytes());
    FromFloat(rgba, image);
  } else {
    image.rgba.resize(pixel_count * image.pixel_bytes());
    VisitSampleType(image.type,
                    [&]<class T>() { GatherRgba<T>(file_pixels, spec.nchannels, map, image); });
  }
  return file;
}

void CheckWritableFormat(const std::filesystem::path& path) {
  if (!OIIO::ImageOutput::create(path.string())) {
    OIIO::geterror();
    throw CliError(path.string(), "unsupported output format '" + path.extension().string() + "'");
  }
}

namespace {

// The output's description: the source's pixel type and metadata, this image's size.
OIIO::ImageSpec OutputSpec(const Image& image, const ImageFile& source, const std::string& format,
                           int nchannels) {
  OIIO::ImageSpec spec(image.width, image.height, nchannels, source.spec.format);
  spec.default_channel_names();
  spec.alpha_channel = nchannels == 4 ? 3 : -1;
  const bool same_size = image.width == source.spec.width && image.height == source.spec.height;
  if (same_size) {
    // Data and display windows, as OpenEXR and other pipeline formats store them.
    spec.x = source.spec.x;
    spec.y = source.spec.y;
    spec.full_x = source.spec.full_x;
    spec.full_y = source.spec.full_y;
    spec.full_width = source.spec.full_width;
    spec.full_height = source.spec.full_height;
  }
  const bool same_format = format == source.format_name;
  for (const OIIO::ParamValue& attribute : source.spec.extra_attribs) {
    const std::string attribute_name = attribute.name().string();
    if (attribute_name == "oiio:UnassociatedAlpha") continue;
    // Settings that only mean something to the source's own format.
    if (!same_format && (attribute_name == "compression" || attribute_name == "oiio:BitsPerSample"))
      continue;
    spec.extra_attribs.push_back(attribute);
  }
  return spec;
}

}  // namespace

void WriteImage(const std::filesystem::path& path, const Image& image, const ImageFile& source,
                const WriteOptions& options) {
  const std::string name = path.string();
  auto output = OIIO::ImageOutput::create(name);
  if (!output) {
    OIIO::geterror();
    throw CliError(name, "unsupported output format '" + path.extension().string() + "'");
  }
  const std::string format = output->format_name();
  const bool alpha = options.alpha && output->supports("alpha");
  const int nchannels = alpha ? 4 : 3;
  OIIO::ImageSpec spec = OutputSpec(image, source, format, nchannels);

  // OpenEXR holds associated colour by definition; other formats keep the source's convention
  // when it is the same format, and straight colour otherwise. Without an alpha channel the
  // colour is written as seen over black.
  const bool associate =
      alpha ? (format == "openexr" || (format == source.format_name && source.associated_alpha))
            : true;
  if (alpha && !associate) spec.attribute("oiio:UnassociatedAlpha", 1);

  const void* pixels = image.rgba.data();
  OIIO::TypeDesc pixel_type = image.type;
  std::vector<float> associated;
  if (associate) {
    associated = ToFloat(image);
    Associate(associated);
    pixels = associated.data();
    pixel_type = OIIO::TypeDesc::FLOAT;
  }
  const OIIO::stride_t pixel_stride = 4 * static_cast<OIIO::stride_t>(pixel_type.size());

  PendingFile pending(path);
  // Bytes go through the pending file's checked stream where the writer takes one. OpenImageIO
  // 2.4's TIFF writer points the file at the wrong directory when it writes to a stream, so TIFF
  // writes by name (libtiff reports its own write errors).
  if (format != "tiff") output->set_ioproxy(&pending.stream());
  SilencedStderr silenced;
  if (!output->open(pending.temp_path().string(), spec) ||
      !output->write_image(pixel_type, pixels, pixel_stride) || !output->close()) {
    throw CliError(name, "cannot write (" + OneLine(output->geterror()) + ")");
  }
  pending.Commit();
}

}  // namespace cli
