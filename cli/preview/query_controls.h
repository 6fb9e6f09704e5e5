#pragma once
// A request's query as the effect's controls: each control by its flag's name, with the same
// checks and one-line messages as the flags (the message names the parameter), and the scale
// the page asks for while a control is dragged.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/controls/controls.h"

namespace cli::preview {

// The largest reduction asked for: 1/16 of the frame's size.
inline constexpr int kMaxDownsample = 16;

struct PreviewQuery {
  ControlSettings controls;
  int downsample = 1;  // the host's factor: scale 1/downsample
};

// The query's parameters in order (a name may come twice, which is refused). with_scale says
// whether "scale" is taken (1, 0.5, 0.25, ... 1/16). Throws CliError (usage) for a name that
// is neither a control nor the scale; a value is checked when it is applied (ApplyControls).
PreviewQuery ParseQuery(const std::vector<std::pair<std::string, std::string>>& parameters,
                        bool with_scale);

}  // namespace cli::preview
