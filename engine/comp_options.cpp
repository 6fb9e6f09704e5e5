#include "engine/comp_options.h"

#include <algorithm>
#include <cmath>

#include "engine/error.h"
#include "hostsim/depth.h"
#include "hostsim/frame_downsample.h"

namespace velmora::engine {
namespace {

// One pixel as alpha, red, green, blue in units of the depth's white.
struct Rgba {
  double a = 0.0, r = 0.0, g = 0.0, b = 0.0;
};

template <class Traits>
Rgba Read(const hostsim::World& world, A_long x, A_long y) {
  if (x < 0 || y < 0 || x >= world.width() || y >= world.height()) return {};
  const auto& pixel = *world.pixel<typename Traits::Pixel>(x, y);
  const double scale = Traits::kFullScale;
  return {pixel.alpha / scale, pixel.red / scale, pixel.green / scale, pixel.blue / scale};
}

template <class Traits>
typename Traits::Channel Stored(double value) {
  if constexpr (Traits::kLimited) {
    const double clamped = std::clamp(value, 0.0, 1.0) * Traits::kFullScale;
    return static_cast<typename Traits::Channel>(std::lround(clamped));
  } else {
    return static_cast<typename Traits::Channel>(value);
  }
}

template <class Traits>
void Write(const hostsim::World& world, A_long x, A_long y, const Rgba& value) {
  auto& pixel = *world.pixel<typename Traits::Pixel>(x, y);
  pixel.alpha = Stored<Traits>(value.a);
  pixel.red = Stored<Traits>(value.r);
  pixel.green = Stored<Traits>(value.g);
  pixel.blue = Stored<Traits>(value.b);
}

// Rec. 709 luminance of straight colour in the working space.
double Luminance(const Rgba& p) {
  return 0.2126 * p.r + 0.7152 * p.g + 0.0722 * p.b;
}

template <class Traits>
void KeyHighlights(const hostsim::World& input, const hostsim::World& keyed,
                   const CompOptions& options) {
  for (A_long y = 0; y < input.height(); ++y) {
    for (A_long x = 0; x < input.width(); ++x) {
      Rgba p = Read<Traits>(input, x, y);
      const double w = HighlightWeight(Luminance(p), options.threshold, options.softness);
      // Black below the knee, whatever the pixel held (0 x NaN would keep a NaN).
      p.r = w > 0.0 ? p.r * w : 0.0;
      p.g = w > 0.0 ? p.g * w : 0.0;
      p.b = w > 0.0 ? p.b * w : 0.0;
      Write<Traits>(keyed, x, y, p);
    }
  }
}

// A pixel as premultiplied light, in the form the effect's output takes: with unmultiply the
// effect makes colour over black its own alpha (its brightest channel), so the plate and the
// keyed copy are taken in that form too.
Rgba Premultiplied(const Rgba& p, bool unmultiply) {
  if (unmultiply) return {std::clamp(std::max({p.r, p.g, p.b}), 0.0, 1.0), p.r, p.g, p.b};
  return {p.a, p.r * p.a, p.g * p.a, p.b * p.a};
}

Rgba Straight(const Rgba& p, double alpha) {
  if (!(alpha > 0.0)) return {0.0, 0.0, 0.0, 0.0};
  return {alpha, p.r / alpha, p.g / alpha, p.b / alpha};
}

// How much of the glow a plate channel takes under Screen, relative to the keyed copy's channel
// the effect screened it onto: (1 - plate) / (1 - keyed) inside 0..1, where Screen is defined;
// outside it the glow adds as light.
double ScreenShare(double plate, double keyed) {
  if (plate < 0.0 || plate > 1.0 || keyed < 0.0 || keyed >= 1.0) return 1.0;
  return std::clamp((1.0 - plate) / (1.0 - keyed), 0.0, 1.0);
}

template <class Traits>
void Join(const hostsim::World& plate, const hostsim::World& keyed, const hostsim::World& output,
          const GlowControls& controls, const CompOptions& options) {
  const A_long origin_x = output.effect_world.origin_x;
  const A_long origin_y = output.effect_world.origin_y;
  const bool screen = controls.glow_mode == GLOW_MODE_SCREEN;
  const bool keyed_out = options.threshold > 0.0;
  for (A_long y = 0; y < output.height(); ++y) {
    for (A_long x = 0; x < output.width(); ++x) {
      const Rgba p = Read<Traits>(plate, x + origin_x, y + origin_y);
      const Rgba k = Read<Traits>(keyed, x + origin_x, y + origin_y);
      const Rgba pp = Premultiplied(p, controls.unmultiply);
      const Rgba kp = Premultiplied(k, controls.unmultiply);
      const Rgba e = Read<Traits>(output, x, y);
      const Rgba ep = {e.a, e.r * e.a, e.g * e.a, e.b * e.a};
      Rgba glow{ep.a - kp.a, ep.r - kp.r, ep.g - kp.g, ep.b - kp.b};
      if (screen) {
        glow.r *= ScreenShare(p.r, k.r);
        glow.g *= ScreenShare(p.g, k.g);
        glow.b *= ScreenShare(p.b, k.b);
      }
      // The effect makes its whole output opaque, the keyed copy's black included; with a key
      // only the glow's light may reach the plate, so the glow covers no more than it lights.
      if (keyed_out) glow.a = std::clamp(glow.a, 0.0, std::max({0.0, glow.r, glow.g, glow.b}));
      const Rgba pass{options.mix * glow.a, options.mix * glow.r, options.mix * glow.g,
                      options.mix * glow.b};
      if (options.glow_pass) {
        // Light with no coverage of its own cannot be stored as straight colour: the pass's
        // alpha is at least its brightest channel, so its premultiplied colour is the light.
        const double alpha = std::clamp(std::max({pass.a, pass.r, pass.g, pass.b}), 0.0, 1.0);
        Write<Traits>(output, x, y, Straight(pass, alpha));
      } else if (!controls.unmultiply && pass.a == 0.0 && pass.r == 0.0 && pass.g == 0.0 &&
                 pass.b == 0.0) {
        Write<Traits>(output, x, y, p);  // no light here: the plate exactly, not divided again
      } else {
        const Rgba full{pp.a + pass.a, pp.r + pass.r, pp.g + pass.g, pp.b + pass.b};
        Write<Traits>(output, x, y, Straight(full, std::clamp(full.a, 0.0, 1.0)));
      }
    }
  }
}

OwnedWorld Scaled(hostsim::WorldStore& worlds, const hostsim::World& layer, A_u_long downsample,
                  const std::string& subject) {
  OwnedWorld scaled(worlds, hostsim::Downsample(worlds, layer, static_cast<A_long>(downsample)));
  if (!scaled) throw Error(subject, "the host could not make a world for the highlights");
  return scaled;
}

}  // namespace

const std::array<CompRange, 3>& CompRanges() {
  static const std::array<CompRange, 3> ranges{{
      {"threshold", 0.0, 1000.0, 0.0, 4.0, &CompOptions::threshold,
       "Glow only what is brighter: luminance in the working space, 1 is white (0: all)"},
      {"softness", 0.0, 1.0, 0.0, 1.0, &CompOptions::softness,
       "Widen the threshold into a smooth knee, as a fraction of the threshold"},
      {"mix", 0.0, 1.0, 1.0, 1.0, &CompOptions::mix,
       "Blend from the plate (0) to the glowed plate (1)"},
  }};
  return ranges;
}

std::string RangeText(const CompRange& range) {
  return NumberText(range.min) + " to " + NumberText(range.max);
}

void SetCompOption(CompOptions& options, const CompRange& range, double value,
                   const std::string& shown, const std::string& source) {
  if (!(value >= range.min && value <= range.max)) {
    throw Error(source, Excerpt(shown) + " is outside the range " + RangeText(range), kExitUsage);
  }
  options.*range.field = value;
}

double HighlightWeight(double luminance, double threshold, double softness) {
  if (threshold <= 0.0) return 1.0;
  if (!(luminance > threshold)) return 0.0;
  const double knee = threshold * softness;
  if (luminance >= threshold + knee) return 1.0;
  const double t = (luminance - threshold) / knee;
  return t * t * (3.0 - 2.0 * t);
}

OwnedWorld RenderComposited(EffectSession& session, const hostsim::World& input,
                            const GlowControls& controls, const CompOptions& options,
                            A_long current_time, const std::string& subject, A_u_long downsample) {
  if (options.PassesThrough()) return session.Render(input, current_time, subject, downsample);
  hostsim::WorldStore& worlds = session.host().worlds();
  OwnedWorld keyed_copy;
  const hostsim::World* keyed = &input;
  if (options.threshold > 0.0) {
    keyed_copy = OwnedWorld(worlds, worlds.Create(input.depth, input.width(), input.height()));
    if (!keyed_copy) throw Error(subject, "the host could not make a world for the highlights");
    hostsim::VisitDepth(input.depth, [&](auto traits) {
      KeyHighlights<decltype(traits)>(input, *keyed_copy, options);
    });
    keyed = keyed_copy.get();
  }
  OwnedWorld output = session.Render(*keyed, current_time, subject, downsample);
  OwnedWorld scaled_plate, scaled_keyed;
  const hostsim::World* plate = &input;
  if (downsample > 1) {
    scaled_plate = Scaled(worlds, input, downsample, subject);
    plate = scaled_plate.get();
    if (keyed != &input) {
      scaled_keyed = Scaled(worlds, *keyed, downsample, subject);
      keyed = scaled_keyed.get();
    } else {
      keyed = plate;
    }
  }
  hostsim::VisitDepth(output->depth, [&](auto traits) {
    Join<decltype(traits)>(*plate, *keyed, *output, controls, options);
  });
  return output;
}

}  // namespace velmora::engine
