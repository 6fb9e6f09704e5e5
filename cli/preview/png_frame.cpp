#include "cli/preview/png_frame.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <vector>

#include "cli/image/world_transfer.h"
#include "cli/report/cli_error.h"

namespace cli::preview {
namespace {

FileRect Scaled(const FileRect& rect, int factor) {
  return {rect.x / factor, rect.y / factor, rect.width / factor, rect.height / factor};
}

}  // namespace

std::string EncodePng(const hostsim::World& world, int x, int y, const SourceImage& source,
                      const PngChoice& choice) {
  auto output = OIIO::ImageOutput::create("png");
  if (!output) throw CliError("preview", "no PNG writer: " + OIIO::geterror());
  const OIIO::ImageSpec& from = source.layer_spec();
  const bool alpha = choice.alpha && output->supports("alpha");
  const bool grey = source.layer.grey() && choice.keep_grey && !choice.view;
  std::vector<int> roles = grey ? std::vector<int>{0} : std::vector<int>{0, 1, 2};
  if (alpha) roles.push_back(3);
  // As the command writes a PNG: straight colour beside an alpha (unless a PNG source held
  // associated colour), colour over black without one.
  const bool associate = !alpha || (source.format_name == "png" && source.associated_alpha);
  const FileRect covered{x, y, world.width(), world.height()};
  const FileRect region =
      output->supports("displaywindow") && covered.width > 0 && covered.height > 0
          ? covered
          : Scaled(DisplayWindow(from), choice.downsample);
  const OIIO::TypeDesc colour = from.channelformat(source.layer.colour_channel());

  OIIO::ImageSpec spec(region.width, region.height, static_cast<int>(roles.size()), colour);
  spec.alpha_channel = alpha ? static_cast<int>(roles.size()) - 1 : -1;
  if (alpha && !associate) spec.attribute("oiio:UnassociatedAlpha", 1);
  // The source's colour tag, as `velmora render` carries it to a PNG: an OpenEXR's frame says
  // linear light (gamma 1.0), not sRGB. Through a view, the view's space says what it holds.
  if (const std::string tag =
          choice.view ? choice.tag : std::string(from.get_string_attribute("oiio:ColorSpace"));
      !tag.empty()) {
    spec.attribute("oiio:ColorSpace", tag);
  }
  // The page asks again at every change: speed over size.
  spec.attribute("png:compressionLevel", 1);

  const std::size_t pixel_bytes = spec.pixel_bytes(true);
  const std::size_t row_bytes = pixel_bytes * static_cast<std::size_t>(region.width);
  std::vector<std::byte> pixels(row_bytes * static_cast<std::size_t>(region.height));
  const int left = std::max(region.x, x);
  const int right = std::min(region.x + region.width, x + world.width());
  for (int row_y = std::max(region.y, y);
       row_y < std::min(region.y + region.height, y + world.height()) && left < right; ++row_y) {
    LoadWorldRow(world, left - x, row_y - y, right - left, associate, spec, roles,
                 pixels.data() + static_cast<std::size_t>(row_y - region.y) * row_bytes +
                     static_cast<std::size_t>(left - region.x) * pixel_bytes,
                 choice.view);
  }

  std::vector<unsigned char> bytes;
  OIIO::Filesystem::IOVecOutput stream(bytes);
  output->set_ioproxy(&stream);
  const bool ok = output->open("frame.png", spec) && output->write_image(colour, pixels.data()) &&
                  output->close();
  if (!ok) throw CliError("preview", "cannot encode the frame as PNG: " + output->geterror());
  output.reset();
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace cli::preview
