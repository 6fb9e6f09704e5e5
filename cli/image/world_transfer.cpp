#include "cli/image/world_transfer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "cli/image/sample_types.h"
#include "cli/report/warnings.h"

namespace cli {
namespace {

// What a depth adds on the file's side: the file sample type of the same depth (the host's
// channel type) and how a sample changes scale between them (only 16-bit does).
template <class Pixel>
struct PixelTraits {
  using Sample = typename hostsim::TraitsOf<Pixel>::Channel;
  static constexpr bool kRescaled = hostsim::DepthOf<Pixel>() == hostsim::Depth::k16;
  static Sample ToHost(Sample v) {
    if constexpr (kRescaled) return FileToHost16(v);
    return v;
  }
  static Sample ToFile(Sample v) {
    if constexpr (kRescaled) return HostToFile16(v);
    return v;
  }
};

// Calls visit.template operator()<Pixel>() with the host's pixel record of the depth.
template <class Visitor>
decltype(auto) VisitPixelType(hostsim::Depth depth, Visitor&& visit) {
  return hostsim::VisitDepth(depth, [&](auto traits) -> decltype(auto) {
    return visit.template operator()<typename decltype(traits)::Pixel>();
  });
}

// A float in the file's 0..1 scale as an integer sample, rounded and held in range.
template <class Sample>
Sample Quantised(float value) {
  if constexpr (std::is_same_v<Sample, float>) {
    return value;
  } else {
    const float full = FullScale<Sample>();
    const float scaled = std::nearbyint(value * full);
    return static_cast<Sample>(scaled >= full ? full : scaled > 0.0f ? scaled : 0.0f);
  }
}

// One row of R, G, B, A in the type the conversion works in; reused row after row.
template <class T>
std::vector<T>& RowScratch(int count) {
  thread_local std::vector<T> row;
  row.resize(static_cast<std::size_t>(count) * 4);
  return row;
}

// Whether a file row holds R, G, B, A in that order (file channel c is role order[c]), all of
// one type: such rows move without OpenImageIO's per-channel conversion, a call per sample.
bool PackedRgba(const OIIO::ImageSpec& spec, std::span<const int> order) {
  if (spec.nchannels != 4 || order.size() != 4) return false;
  for (int c = 0; c < 4; ++c) {
    if (order[static_cast<std::size_t>(c)] != c || spec.channelformat(c) != spec.channelformat(0))
      return false;
  }
  return true;
}

// Calls move.template operator()<T>() with the C type of a packed row's samples; false for the
// types left to OpenImageIO (half, signed, double).
template <class Move>
bool WithPackedType(OIIO::TypeDesc type, Move&& move) {
  if (type == OIIO::TypeDesc::UINT8) return move.template operator()<std::uint8_t>(), true;
  if (type == OIIO::TypeDesc::UINT16) return move.template operator()<std::uint16_t>(), true;
  if (type == OIIO::TypeDesc::FLOAT) return move.template operator()<float>(), true;
  return false;
}

// n samples from one type into another, each by OpenImageIO's own conversion of one value
// (what its per-channel copy does sample by sample), bytes on either side at any alignment.
template <class From, class To>
void ConvertSamples(const std::byte* from, std::byte* to, std::size_t n) {
  if constexpr (std::is_same_v<From, To>) {
    std::memcpy(to, from, n * sizeof(To));
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      From value;
      To converted;
      std::memcpy(&value, from + i * sizeof(From), sizeof value);
      OIIO::convert_type<From, To>(&value, &converted, 1);
      std::memcpy(to + i * sizeof(To), &converted, sizeof converted);
    }
  }
}

template <class Row>
void Gather(const OIIO::ImageSpec& spec, const LayerChannels& layer, const std::byte* native,
            int count, std::vector<Row>& row) {
  const auto samples = static_cast<std::size_t>(count) * 4;
  const auto packed = [&]<class File>() {
    ConvertSamples<File, Row>(native, reinterpret_cast<std::byte*>(row.data()), samples);
  };
  if (PackedRgba(spec, layer.rgba) && WithPackedType(spec.channelformat(0), packed)) return;
  const OIIO::TypeDesc row_type = OIIO::TypeDesc(OIIO::BaseTypeFromC<Row>::value);
  const auto pixel_bytes = static_cast<OIIO::stride_t>(spec.pixel_bytes(true));
  for (int c = 0; c < 4; ++c) {
    const int channel = layer.rgba[static_cast<std::size_t>(c)];
    if (channel < 0) {
      const Row missing = c == 3 ? FullScale<Row>() : Row{};
      for (int x = 0; x < count; ++x) row[static_cast<std::size_t>(x) * 4 + c] = missing;
      continue;
    }
    OIIO::convert_image(1, count, 1, 1, native + spec.pixel_bytes(0, channel, true),
                        spec.channelformat(channel), pixel_bytes, OIIO::AutoStride,
                        OIIO::AutoStride, row.data() + c, row_type, 4 * sizeof(Row),
                        OIIO::AutoStride, OIIO::AutoStride);
  }
}

// The smallest magnitude that stops being a finite number in a file sample of type: half
// floats round 65520 and above to infinity; other types hold every finite float (integers
// clip it).
float FiniteLimit(OIIO::TypeDesc type) {
  return type.basetype == OIIO::TypeDesc::HALF ? 65520.0f : std::numeric_limits<float>::infinity();
}

// Converts the colour of count R, G, B, A pixels in place; alpha is left alone. A result that
// is NaN, or at or past limit in magnitude, becomes 0, as a NaN or infinite sample of a file
// does: a config's transforms (a LUT holding infinities, a matrix past the float range) make
// them as easily as a file holds them. Says whether any did.
bool Convert(const OIIO::ColorProcessor& processor, std::vector<float>& row, int count,
             float limit) {
  constexpr auto kFloat = static_cast<OIIO::stride_t>(sizeof(float));
  processor.apply(row.data(), count, 1, 3, kFloat, 4 * kFloat, 4 * kFloat * count);
  bool replaced = false;
  for (std::size_t i = 0; i < row.size(); i += 4) {
    for (std::size_t c = 0; c < 3; ++c) {
      float& v = row[i + c];
      if (!(std::abs(v) < limit)) {
        v = 0.0f;
        replaced = true;
      }
    }
  }
  return replaced;
}

// Warnings about such results share their kind with the one about a file's NaN and
// infinities: one warning a run for any of them.
void WarnNonFinite(const std::string& text) {
  WarnOnce("non-finite", text);
}

template <class Pixel, class Row>
void Store(const std::vector<Row>& row, int count, const hostsim::World& world, int world_x,
           int world_y) {
  using Traits = PixelTraits<Pixel>;
  using Sample = typename Traits::Sample;
  Pixel* out = world.pixel<Pixel>(world_x, world_y);
  const Row* in = row.data();
  auto host = [](Row v) {
    if constexpr (std::is_same_v<Row, Sample>) {
      return Traits::ToHost(v);
    } else {
      return Traits::ToHost(Quantised<Sample>(v));
    }
  };
  for (int x = 0; x < count; ++x, in += 4, ++out) {
    out->red = host(in[0]);
    out->green = host(in[1]);
    out->blue = host(in[2]);
    out->alpha = host(in[3]);
  }
}

}  // namespace

RowStoreNotes StoreFileRow(const OIIO::ImageSpec& spec, const LayerChannels& layer, bool associated,
                           const std::byte* native, int count, const hostsim::World& world,
                           int world_x, int world_y, const OIIO::ColorProcessor* to_working) {
  const bool floating_file = std::any_of(layer.rgba.begin(), layer.rgba.end(), [&](int channel) {
    return channel >= 0 && spec.channelformat(channel).is_floating_point();
  });
  const bool integer_world = world.depth != hostsim::Depth::k32;
  return VisitPixelType(world.depth, [&]<class Pixel>() {
    using Sample = typename PixelTraits<Pixel>::Sample;
    RowStoreNotes notes;
    // Integer samples go as they are; float ones are made finite first, and division by
    // alpha and the look for values a narrower depth will clip need float too.
    if (!associated && !floating_file && !to_working) {
      std::vector<Sample>& row = RowScratch<Sample>(count);
      Gather(spec, layer, native, count, row);
      Store<Pixel>(row, count, world, world_x, world_y);
      return notes;
    }
    std::vector<float>& row = RowScratch<float>(count);
    Gather(spec, layer, native, count, row);
    // Selects, not branches, so the compiler vectorises these passes: they are most of the
    // time a frame's rows take.
    bool non_finite = false, over_one = false;
    for (float& v : row) {
      const bool finite = std::isfinite(v);
      non_finite |= !finite;
      v = finite ? v : 0.0f;
      over_one |= v > 1.0f;
    }
    notes.non_finite = non_finite;
    notes.clipped = integer_world && over_one;
    if (associated) {
      for (std::size_t i = 0; i < row.size(); i += 4) {
        const float alpha = row[i + 3];
        const float divisor = alpha == 0.0f ? 1.0f : alpha;
        for (std::size_t c = 0; c < 3; ++c) {
          // Colour over alpha 0 stays as stored, and so does colour over an alpha too small to
          // divide by (1e38 over 1e-40) rather than become infinite.
          const float straight = row[i + c] / divisor;
          row[i + c] = std::isfinite(straight) ? straight : row[i + c];
        }
      }
    }
    if (to_working) {
      if (Convert(*to_working, row, count, std::numeric_limits<float>::infinity())) {
        WarnNonFinite(
            "colour: converting into the working space gives NaN or infinite values; they are "
            "read as 0");
      }
      // A conversion can reach past 1.0 (into linear light).
      for (const float v : row) notes.clipped = notes.clipped || (integer_world && v > 1.0f);
    }
    Store<Pixel>(row, count, world, world_x, world_y);
    return notes;
  });
}

void LoadWorldRow(const hostsim::World& world, int world_x, int world_y, int count, bool associate,
                  const OIIO::ImageSpec& spec, std::span<const int> roles, std::byte* native,
                  const OIIO::ColorProcessor* to_output) {
  VisitPixelType(world.depth, [&]<class Pixel>() {
    using Traits = PixelTraits<Pixel>;
    using Sample = typename Traits::Sample;
    const Pixel* in = world.pixel<Pixel>(world_x, world_y);
    const auto pixel_bytes = static_cast<OIIO::stride_t>(spec.pixel_bytes(true));
    auto scatter = [&]<class Row>(const std::vector<Row>& row) {
      const auto packed = [&]<class File>() {
        ConvertSamples<Row, File>(reinterpret_cast<const std::byte*>(row.data()), native,
                                  static_cast<std::size_t>(count) * 4);
      };
      if (PackedRgba(spec, roles) && WithPackedType(spec.channelformat(0), packed)) return;
      const OIIO::TypeDesc row_type = OIIO::TypeDesc(OIIO::BaseTypeFromC<Row>::value);
      for (std::size_t c = 0; c < roles.size(); ++c) {
        OIIO::convert_image(1, count, 1, 1, row.data() + roles[c], row_type, 4 * sizeof(Row),
                            OIIO::AutoStride, OIIO::AutoStride,
                            native + spec.pixel_bytes(0, static_cast<int>(c), true),
                            spec.channelformat(static_cast<int>(c)), pixel_bytes, OIIO::AutoStride,
                            OIIO::AutoStride);
      }
    };
    if (!associate && !to_output) {
      std::vector<Sample>& row = RowScratch<Sample>(count);
      for (int x = 0; x < count; ++x, ++in) {
        Sample* out = row.data() + static_cast<std::size_t>(x) * 4;
        out[0] = Traits::ToFile(in->red);
        out[1] = Traits::ToFile(in->green);
        out[2] = Traits::ToFile(in->blue);
        out[3] = Traits::ToFile(in->alpha);
      }
      scatter(row);
      return;
    }
    std::vector<float>& row = RowScratch<float>(count);
    const float scale = 1.0f / FullScale<Sample>();
    for (int x = 0; x < count; ++x, ++in) {
      float* out = row.data() + static_cast<std::size_t>(x) * 4;
      out[0] = static_cast<float>(Traits::ToFile(in->red)) * scale;
      out[1] = static_cast<float>(Traits::ToFile(in->green)) * scale;
      out[2] = static_cast<float>(Traits::ToFile(in->blue)) * scale;
      out[3] = static_cast<float>(Traits::ToFile(in->alpha)) * scale;
    }
    // Colour converts straight, as the world holds it; association comes after.
    if (to_output) {
      // What the file's colour channels cannot hold is as infinite as an infinity.
      float limit = std::numeric_limits<float>::infinity();
      for (std::size_t c = 0; c < roles.size(); ++c) {
        if (roles[c] < 3) {
          limit = std::min(limit, FiniteLimit(spec.channelformat(static_cast<int>(c))));
        }
      }
      if (Convert(*to_output, row, count, limit)) {
        WarnNonFinite(std::string("colour: converting to the output's colour space gives NaN or "
                                  "infinite values") +
                      (std::isinf(limit) ? "" : " (or past 65504, infinite in half floats)") +
                      "; they are written as 0");
      }
    }
    if (associate) {
      for (std::size_t i = 0; i < row.size(); i += 4) {
        for (int c = 0; c < 3; ++c) row[i + c] *= row[i + 3];
      }
    }
    scatter(row);
  });
}

}  // namespace cli
