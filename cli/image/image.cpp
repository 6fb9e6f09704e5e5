#include "cli/image/image.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace cli {

FileRect DataWindow(const OIIO::ImageSpec& spec) {
  return FileRect{spec.x, spec.y, spec.width, spec.height};
}

FileRect DisplayWindow(const OIIO::ImageSpec& spec) {
  return FileRect{spec.full_x, spec.full_y, spec.full_width, spec.full_height};
}

bool WithinReach(const FileRect& rect) {
  const auto within = [](std::int64_t v) { return v >= -kMaxCoordinate && v <= kMaxCoordinate; };
  const std::int64_t right = std::int64_t{rect.x} + rect.width;
  const std::int64_t bottom = std::int64_t{rect.y} + rect.height;
  return rect.width >= 0 && rect.height >= 0 && within(rect.x) && within(rect.y) && within(right) &&
         within(bottom);
}

std::string CornersText(const FileRect& rect) {
  const std::int64_t right = std::int64_t{rect.x} + rect.width;
  const std::int64_t bottom = std::int64_t{rect.y} + rect.height;
  char text[96];
  std::snprintf(text, sizeof text, "(%d, %d)-(%lld, %lld)", rect.x, rect.y,
                static_cast<long long>(right), static_cast<long long>(bottom));
  return text;
}

FileRect Union(const FileRect& a, const FileRect& b) {
  if (!WithinReach(a) || !WithinReach(b)) throw std::logic_error("Union of an unchecked window");
  if (a.width <= 0 || a.height <= 0) return b;
  if (b.width <= 0 || b.height <= 0) return a;
  // Within reach, every sum here stays below 2^31.
  const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.width, b.x + b.width);
  const int bottom = std::max(a.y + a.height, b.y + b.height);
  return FileRect{left, top, right - left, bottom - top};
}

namespace {

// The part's channels of one layer, found by name: prefix + "R", "G", "B", "Y" (grey), "A".
std::optional<LayerChannels> NamedLayer(const OIIO::ImageSpec& spec, int part,
                                        const std::string& prefix) {
  LayerChannels layer;
  layer.part = part;
  layer.prefix = prefix;
  const char* colours[] = {"R", "G", "B"};
  bool any_colour = false;
  for (int c = 0; c < 3; ++c) {
    layer.rgba[c] = spec.channelindex(prefix + colours[c]);
    any_colour = any_colour || layer.rgba[c] >= 0;
  }
  if (!any_colour) {
    const int grey = spec.channelindex(prefix + "Y");
    if (grey < 0) return std::nullopt;
    layer.rgba = {grey, grey, grey, -1};
  }
  layer.rgba[3] = spec.channelindex(prefix + "A");
  if (layer.rgba[3] < 0 && prefix.empty() && spec.alpha_channel >= 0 &&
      std::find(layer.rgba.begin(), layer.rgba.end(), spec.alpha_channel) == layer.rgba.end()) {
    layer.rgba[3] = spec.alpha_channel;
  }
  return layer;
}

// Channels without telling names, by position: grey, grey and alpha, RGB, RGBA.
LayerChannels PositionalLayer(const OIIO::ImageSpec& spec, int part) {
  LayerChannels layer;
  layer.part = part;
  if (spec.nchannels >= 3) {
    layer.rgba = {0, 1, 2, spec.nchannels >= 4 ? 3 : -1};
  } else {
    layer.rgba = {0, 0, 0, spec.nchannels == 2 ? 1 : -1};
  }
  if (spec.alpha_channel >= 0) layer.rgba[3] = spec.alpha_channel;
  return layer;
}

void ListOthers(const OIIO::ImageSpec& spec, LayerChannels& layer) {
  for (int c = 0; c < spec.nchannels; ++c) {
    if (std::find(layer.rgba.begin(), layer.rgba.end(), c) == layer.rgba.end()) {
      layer.others.push_back(c);
    }
  }
}

std::string PartName(const OIIO::ImageSpec& spec) {
  return spec.get_string_attribute("oiio:subimagename");
}

}  // namespace

std::optional<LayerChannels> FindLayer(const std::vector<OIIO::ImageSpec>& parts,
                                       const std::string& name) {
  std::optional<LayerChannels> found;
  for (int part = 0; part < static_cast<int>(parts.size()) && !found; ++part) {
    const OIIO::ImageSpec& spec = parts[static_cast<std::size_t>(part)];
    if (name.empty()) {
      found = NamedLayer(spec, part, "");
    } else {
      found = NamedLayer(spec, part, name + ".");
      // A part of that name holding plain R, G, B, A is the layer as well.
      if (!found && PartName(spec) == name) found = NamedLayer(spec, part, "");
    }
  }
  if (!found && name.empty() && !parts.empty()) found = PositionalLayer(parts.front(), 0);
  if (found) ListOthers(parts[static_cast<std::size_t>(found->part)], *found);
  return found;
}

std::string LayerNames(const std::vector<OIIO::ImageSpec>& parts) {
  std::vector<std::string> names;
  auto add = [&](const std::string& name) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  };
  for (const OIIO::ImageSpec& spec : parts) {
    if (!PartName(spec).empty()) add(PartName(spec));
    for (const std::string& channel : spec.channelnames) {
      const std::size_t dot = channel.rfind('.');
      add(dot == std::string::npos ? "(main)" : channel.substr(0, dot));
    }
  }
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace cli
