#pragma once
// What the comp artist builds around the effect, done by the tools on host worlds around
// EffectSession::Render: highlights (a threshold and a soft knee pick what glows), a mix with
// the plate, and a glow pass (only the light the glow adds). They are never the effect's: at
// their defaults the result is the effect's own output, bit for bit.

#include <array>
#include <string>
#include <string_view>

#include "engine/effect_session.h"
#include "engine/glow_controls.h"
#include "engine/owned_world.h"

namespace velmora::engine {

struct CompOptions {
  double threshold = 0.0;  // luminance in the working space (1 = white); 0 keys nothing out
  double softness = 0.0;   // the knee's half width, as a fraction of the threshold
  double mix = 1.0;        // 0 the plate, 1 the glowed plate
  bool glow_pass = false;  // the output holds only the light the glow adds

  // Whether the effect's output is the result as it is.
  bool PassesThrough() const { return threshold == 0.0 && mix == 1.0 && !glow_pass; }
};

// The numeric options as every front-end names and checks them.
struct CompRange {
  std::string_view name;  // flag (with "--") and preset key
  double min, max, fallback;
  double slider_max;  // where a slider's travel ends: the useful part of a long range
  double CompOptions::*field;
  std::string_view help;
};
const std::array<CompRange, 3>& CompRanges();
inline constexpr std::string_view kGlowPassName = "glow-pass";
inline constexpr std::string_view kGlowPassHelp =
    "Write only the light the glow adds (plate + pass = the full result)";

// "0 to 1000", as messages and help show a range.
std::string RangeText(const CompRange& range);

// Sets one numeric option; throws Error (usage) naming source when value is outside its range,
// with the words every front-end uses ("'7' is outside the range 0 to 1"; shown is the value
// as the user wrote it).
void SetCompOption(CompOptions& options, const CompRange& range, double value,
                   const std::string& shown, const std::string& source);

// The keyed weight of a pixel of luminance y: 0 at and below the knee, 1 above it.
double HighlightWeight(double luminance, double threshold, double softness);

// Renders input with controls (already written into the session) and options. Throws Error.
OwnedWorld RenderComposited(EffectSession& session, const hostsim::World& input,
                            const GlowControls& controls, const CompOptions& options,
                            A_long current_time, const std::string& subject,
                            A_u_long downsample = 1);

}  // namespace velmora::engine
