#include "cli/preview/query_controls.h"

#include <charconv>
#include <cmath>

#include "cli/report/cli_error.h"

namespace cli::preview {
namespace {

// 1, 0.5, 0.25, ...: the host scales a frame down by whole factors only.
int ParseScale(const std::string& text) {
  double scale = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), scale);
  const bool number = !text.empty() && end == text.data() + text.size() && error == std::errc();
  if (number && std::isfinite(scale) && scale > 0 && scale <= 1) {
    const double factor = std::round(1.0 / scale);
    if (factor <= kMaxDownsample && std::abs(factor * scale - 1.0) < 1e-9) {
      return static_cast<int>(factor);
    }
  }
  throw CliError("scale",
                 Quoted(text) + " is not a scale the host renders at (1, 0.5, 0.25, ... 1/" +
                     std::to_string(kMaxDownsample) + ")",
                 kExitUsage);
}

std::string KnownNames(bool with_scale) {
  std::string names;
  for (const Control& control : Controls()) {
    names += (names.empty() ? "" : ", ") + std::string(control.name);
  }
  for (const std::string_view option : CompOptionNames()) names += ", " + std::string(option);
  return with_scale ? names + ", scale" : names;
}

}  // namespace

PreviewQuery ParseQuery(const std::vector<std::pair<std::string, std::string>>& parameters,
                        bool with_scale) {
  PreviewQuery query;
  bool scale_given = false;
  for (const auto& [name, text] : parameters) {
    if (with_scale && name == "scale") {
      if (scale_given) throw CliError("scale", "given twice", kExitUsage);
      scale_given = true;
      query.downsample = ParseScale(text);
      continue;
    }
    if (!FindControl(name) && !IsCompOption(name)) {
      throw CliError("preview",
                     "unknown control " + Quoted(name) + " (known: " + KnownNames(with_scale) + ")",
                     kExitUsage);
    }
    if (!query.controls.try_emplace(name, ControlSetting{text, name}).second) {
      throw CliError(name, "given twice", kExitUsage);
    }
  }
  return query;
}

}  // namespace cli::preview
