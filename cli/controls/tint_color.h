#pragma once
// The tint colour as users write it: "#RRGGBB", "#RRGGBBAA" or "r,g,b[,a]" with components
// from 0 to 1.

#include <string>

namespace cli {

struct TintColor {
  double red = 0.0, green = 0.0, blue = 0.0, alpha = 1.0;
};

// Throws CliError with subject as the failing thing's name (a flag or a preset entry).
TintColor ParseTintColor(const std::string& text, const std::string& subject);

}  // namespace cli
