#include "cli/world_transfer.h"

#include <string>

#include "cli/cli_error.h"

namespace cli {
namespace {

// What differs between depths: the host's pixel record and how a sample changes scale.
template <class Pixel>
struct PixelTraits;

template <>
struct PixelTraits<PF_Pixel> {
  using Sample = std::uint8_t;
  static A_u_char ToHost(Sample v) { return v; }
  static Sample ToFile(A_u_char v) { return v; }
};

template <>
struct PixelTraits<PF_Pixel16> {
  using Sample = std::uint16_t;
  static A_u_short ToHost(Sample v) { return FileToHost16(v); }
  static Sample ToFile(A_u_short v) { return HostToFile16(v); }
};

template <>
struct PixelTraits<PF_PixelFloat> {
  using Sample = float;
  static PF_FpShort ToHost(Sample v) { return v; }
  static Sample ToFile(PF_FpShort v) { return v; }
};

template <class Visitor>
decltype(auto) VisitPixelType(hostsim::Depth depth, Visitor&& visit) {
  switch (depth) {
    case hostsim::Depth::k8:
      return visit.template operator()<PF_Pixel>();
    case hostsim::Depth::k16:
      return visit.template operator()<PF_Pixel16>();
    case hostsim::Depth::k32:
      return visit.template operator()<PF_PixelFloat>();
  }
  throw std::logic_error("unknown depth");
}

template <class Pixel>
void CopyIntoWorld(const Image& image, const hostsim::World& world) {
  using Traits = PixelTraits<Pixel>;
  using Sample = typename Traits::Sample;
  for (int y = 0; y < image.height; ++y) {
    const auto* in = reinterpret_cast<const Sample*>(image.pixel(0, y));
    auto* out = world.pixel<Pixel>(0, y);
    for (int x = 0; x < image.width; ++x, in += 4, ++out) {
      out->red = Traits::ToHost(in[0]);
      out->green = Traits::ToHost(in[1]);
      out->blue = Traits::ToHost(in[2]);
      out->alpha = Traits::ToHost(in[3]);
    }
  }
}

template <class Pixel>
void CopyFromWorld(const hostsim::World& world, Image& image) {
  using Traits = PixelTraits<Pixel>;
  using Sample = typename Traits::Sample;
  for (int y = 0; y < image.height; ++y) {
    const auto* in = world.pixel<Pixel>(0, y);
    auto* out = reinterpret_cast<Sample*>(image.pixel(0, y));
    for (int x = 0; x < image.width; ++x, ++in, out += 4) {
      out[0] = Traits::ToFile(in->red);
      out[1] = Traits::ToFile(in->green);
      out[2] = Traits::ToFile(in->blue);
      out[3] = Traits::ToFile(in->alpha);
    }
  }
}

}  // namespace

hostsim::World* CreateWorldFrom(const Image& image, hostsim::WorldStore& store) {
  const hostsim::Depth depth = DepthOf(image.type);
  hostsim::World* world = store.Create(depth, image.width, image.height);
  if (!world) {
    throw CliError("", "the host refused a " + std::to_string(image.width) + " x " +
                           std::to_string(image.height) + " world");
  }
  VisitPixelType(depth, [&]<class Pixel>() { CopyIntoWorld<Pixel>(image, *world); });
  return world;
}

Image ImageFromWorld(const hostsim::World& world) {
  Image image;
  image.width = world.width();
  image.height = world.height();
  image.type = SampleTypeOf(world.depth);
  image.rgba.resize(static_cast<std::size_t>(image.width) * image.height * image.pixel_bytes());
  VisitPixelType(world.depth, [&]<class Pixel>() { CopyFromWorld<Pixel>(world, image); });
  return image;
}

}  // namespace cli
