#pragma once
// A host world as PNG bytes in memory, with the choices `velmora render` makes for a .png
// output (ChooseLayerOutput: the channels, their type, straight or associated colour, the frame
// the layer fills, the attributes) and its rows filled by the same code: at full size the
// page's frame equals the file the command writes, pixel for pixel.

#include <OpenImageIO/color.h>

#include <memory>
#include <string>

#include "cli/image/image.h"
#include "hostsim/world_store.h"

namespace cli::preview {

struct PngChoice {
  bool alpha = true;      // keep alpha: the source has one, or unmultiply made one
  bool keep_grey = true;  // a grey layer stays grey (not when the glow was tinted)
  int downsample = 1;     // the frame is the source's at 1/downsample of its size
  // For viewing: the colour through a display's view, and the tag of the view's space (null:
  // the values as stored, tagged as the source).
  std::shared_ptr<const OIIO::ColorProcessor> view;
  std::string tag;
};

// world's origin lies at (x, y) of the source layer's coordinates at that scale. Throws
// CliError when the encoder fails.
std::string EncodePng(const hostsim::World& world, int x, int y, const SourceImage& source,
                      const PngChoice& choice);

}  // namespace cli::preview
