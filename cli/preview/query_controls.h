#pragma once
// A request's query as the effect's controls: each control by its flag's name, with the same
// checks and one-line messages as the flags (the message names the parameter), and the scale
// the page asks for while a control is dragged.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/controls/controls.h"

namespace cli::preview {

// The largest reduction asked for: 1/16 of the frame's size.
inline constexpr int kMaxDownsample = 16;

// The most exposure the page offers either way, in stops.
inline constexpr double kMaxExposureStops = 16;

// How the served PNG is shown, never what is rendered or saved: a display's view of the colour
// config (unset: the values as stored) after an exposure in stops.
struct Viewing {
  std::optional<std::pair<std::string, std::string>> view;  // display, view as asked
  double exposure = 0;
};

struct PreviewQuery {
  ControlSettings controls;
  int downsample = 1;  // the host's factor: scale 1/downsample
  Viewing viewing;
};

// The query's parameters in order (a name may come twice, which is refused). with_scale says
// whether "scale" is taken (1, 0.5, 0.25, ... 1/16). "view" (DISPLAY/VIEW, empty for the values
// as stored) and "exposure" (stops) are taken by every request: the page sends them along, and
// only the served PNGs use them. Throws CliError (usage) for a name that
// is neither a control nor the scale; a value is checked when it is applied (ApplyControls).
PreviewQuery ParseQuery(const std::vector<std::pair<std::string, std::string>>& parameters,
                        bool with_scale);

}  // namespace cli::preview
