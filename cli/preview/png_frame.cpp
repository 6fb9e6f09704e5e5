#include "cli/preview/png_frame.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <vector>

#include "cli/image/image_io.h"
#include "cli/report/cli_error.h"

namespace cli::preview {

std::string EncodePng(const hostsim::World& world, int x, int y, const SourceImage& source,
                      const PngChoice& choice) {
  auto output = OIIO::ImageOutput::create("png");
  if (!output) throw CliError("preview", "no PNG writer: " + OIIO::geterror());
  WriteOptions options;
  options.alpha = choice.alpha;
  // A view's display transform may tint greys: through one the frame goes as RGB.
  options.keep_grey = choice.keep_grey && !choice.view;
  options.downsample = choice.downsample;
  // The warnings are the command's to say about its files; the page shows what it can.
  LayerOutput out = ChooseLayerOutput(*output, world, x, y, source, options, "frame.png");
  OIIO::ImageSpec& spec = out.spec;
  if (choice.view) {
    out.to_output = choice.view;
    spec.attribute("oiio:ColorSpace", choice.tag);
    // The source's profile describes its own values, not the view's.
    spec.erase_attribute("ICCProfile");
  }
  // The page asks again at every change: speed over size.
  spec.attribute("compression", "zip:1");
  spec.attribute("png:compressionLevel", 1);

  const std::size_t row_bytes = spec.scanline_bytes(true);
  std::vector<std::byte> pixels(row_bytes * static_cast<std::size_t>(out.region.height));
  for (int row = 0; row < out.region.height; ++row) {
    FillLayerRow(out, world, x, y, source, out.region.y + row,
                 pixels.data() + static_cast<std::size_t>(row) * row_bytes);
  }

  std::vector<unsigned char> bytes;
  OIIO::Filesystem::IOVecOutput stream(bytes);
  output->set_ioproxy(&stream);
  const bool ok = output->open("frame.png", spec) &&
                  output->write_image(spec.format, pixels.data()) && output->close();
  if (!ok) throw CliError("preview", "cannot encode the frame as PNG: " + output->geterror());
  output.reset();
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace cli::preview
