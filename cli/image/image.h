#pragma once
// What the tool knows of an input file beyond the pixels it hands to the host: every part's
// description, which channels form the layer the glow works on, and everything else the file
// holds, kept as stored so it can be written back unchanged.

#include <OpenImageIO/imageio.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hostsim/world_store.h"

namespace cli {

// A rectangle in the file's pixel coordinates, half-open: [x, x + width) x [y, y + height).
struct FileRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// How far from the origin a window's corners may lie: far past any real frame, yet the union
// of two such windows is less than 2^31 pixels wide, and a result that reaches a host world's
// side past it still fits what OpenEXR's headers take (about 2^30). Everything after the read
// (world placement, the write region, the carried channels) adds in int because of this.
inline constexpr std::int64_t kMaxCoordinate = 1'000'000'000;

FileRect DataWindow(const OIIO::ImageSpec& spec);
FileRect DisplayWindow(const OIIO::ImageSpec& spec);

// Whether the rectangle's size is not negative and its corners lie within kMaxCoordinate.
// Taken in 64 bits: a file may declare any int for each of x, y, width and height.
bool WithinReach(const FileRect& rect);
// "(x0, y0)-(x1, y1)", the corners as the file declares them, for a message.
std::string CornersText(const FileRect& rect);
// The smallest rectangle holding both; an empty one (no width or height) holds nothing. Both
// must be WithinReach.
FileRect Union(const FileRect& a, const FileRect& b);

// The channels of one part that the glow reads and writes. A grey layer names the same channel
// for red, green and blue; a missing colour channel reads as 0, a missing alpha as opaque.
struct LayerChannels {
  int part = 0;
  std::array<int, 4> rgba{-1, -1, -1, -1};  // channel indices for R, G, B, A; -1 for none
  std::string prefix;                       // "diffuse." for --layer diffuse, else empty
  std::vector<int> others;                  // the part's other channels, carried unchanged

  bool has_alpha() const { return rgba[3] >= 0; }
  bool grey() const { return rgba[0] >= 0 && rgba[0] == rgba[1] && rgba[1] == rgba[2]; }
  // A colour channel the layer has (a layer always has one): its type is the layer's type.
  int colour_channel() const { return rgba[0] >= 0 ? rgba[0] : rgba[1] >= 0 ? rgba[1] : rgba[2]; }
};

// The layer named name ("" for the file's main RGBA layer); nullopt when the file has none.
std::optional<LayerChannels> FindLayer(const std::vector<OIIO::ImageSpec>& parts,
                                       const std::string& name);

// Names of the layers a file offers, for a message: "(main), diffuse, specular".
std::string LayerNames(const std::vector<OIIO::ImageSpec>& parts);

// An input file as read: the layer's pixels went into a host world; this is the rest.
struct SourceImage {
  std::string format_name;  // OpenImageIO's name for the format: "png", "openexr", ...
  std::vector<OIIO::ImageSpec> parts;
  LayerChannels layer;
  FileRect layer_rect;  // where the host's input world lies in the layer part's coordinates
  bool associated_alpha = false;  // the file stores colour multiplied by alpha
  bool linear = false;            // the colour-space tag says scene-linear
  // The layer's colour space in the render's colour configuration; "" when colour is not
  // managed (the effect sees the values as stored).
  std::string colour_space;
  bool mip_mapped = false;          // a part holds reduced levels below its full resolution
  std::optional<int> jpeg_quality;  // the quality a JPEG file was saved at, when it can be told
  // The layer part's other channels over its data window, packed in their stored types.
  std::vector<std::byte> carried;
  // Every other part's pixels as stored (empty for the layer's own part).
  std::vector<std::vector<std::byte>> other_parts;

  const OIIO::ImageSpec& layer_spec() const { return parts[static_cast<std::size_t>(layer.part)]; }
};

// A depth's name for messages ("8-bit", "16-bit", "float"), from the host's depth vocabulary.
using hostsim::DepthName;

}  // namespace cli
