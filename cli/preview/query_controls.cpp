#include "cli/preview/query_controls.h"

#include <charconv>
#include <cmath>
#include <cstdio>

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

// A view as DISPLAY/VIEW: the display's name ends at the first slash.
std::optional<std::pair<std::string, std::string>> ParseView(const std::string& text) {
  if (text.empty()) return std::nullopt;
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos || slash == 0 || slash + 1 == text.size()) {
    throw CliError("view", Quoted(text) + " is not DISPLAY/VIEW (sRGB/Film, say)", kExitUsage);
  }
  return std::make_pair(text.substr(0, slash), text.substr(slash + 1));
}

double ParseExposure(const std::string& text) {
  double stops = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), stops);
  const bool number = !text.empty() && end == text.data() + text.size() && error == std::errc();
  if (!number || !std::isfinite(stops) || std::abs(stops) > kMaxExposureStops) {
    char range[64];
    std::snprintf(range, sizeof range, "stops from -%g to %g", kMaxExposureStops,
                  kMaxExposureStops);
    throw CliError("exposure", Quoted(text) + " is not " + range, kExitUsage);
  }
  return stops;
}

std::string KnownNames(bool with_scale) {
  std::string names;
  for (const Control& control : Controls()) {
    names += (names.empty() ? "" : ", ") + std::string(control.name);
  }
  for (const std::string_view option : CompOptionNames()) names += ", " + std::string(option);
  names += ", view, exposure";
  return with_scale ? names + ", scale" : names;
}

}  // namespace

PreviewQuery ParseQuery(const std::vector<std::pair<std::string, std::string>>& parameters,
                        bool with_scale) {
  PreviewQuery query;
  bool scale_given = false;
  bool view_given = false;
  bool exposure_given = false;
  for (const auto& [name, text] : parameters) {
    if (name == "view" || name == "exposure") {
      bool& given = name == "view" ? view_given : exposure_given;
      if (given) throw CliError(name, "given twice", kExitUsage);
      given = true;
      if (name == "view") {
        query.viewing.view = ParseView(text);
      } else {
        query.viewing.exposure = ParseExposure(text);
      }
      continue;
    }
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
