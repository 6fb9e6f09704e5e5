#include "cli/controls/tint_color.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "cli/report/cli_error.h"

namespace cli {

TintColor ParseTintColor(const std::string& text, const std::string& subject) {
  const std::string expected = Quoted(text) +
                               " is not a colour: use #RRGGBB, #RRGGBBAA or r,g,b[,a] with "
                               "components from 0 to 1";
  const bool hex = (text.size() == 7 || text.size() == 9) && text[0] == '#' &&
                   text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
  if (hex) {
    auto byte_at = [&](std::size_t i) {
      int value = 0;
      std::from_chars(text.data() + 1 + 2 * i, text.data() + 3 + 2 * i, value, 16);
      return value / 255.0;
    };
    TintColor color{byte_at(0), byte_at(1), byte_at(2), 1.0};
    if (text.size() == 9) color.alpha = byte_at(3);
    return color;
  }

  std::vector<double> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    std::string part = text.substr(start, comma - start);
    part.erase(0, part.find_first_not_of(' '));
    part.erase(part.find_last_not_of(' ') + 1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || error != std::errc() || end != part.data() + part.size()) {
      throw CliError(subject, expected, kExitUsage);
    }
    if (!(value >= 0.0 && value <= 1.0)) {
      throw CliError(subject, "colour components must be from 0 to 1, got " + Quoted(part),
                     kExitUsage);
    }
    parts.push_back(value);
    start = comma + 1;
  }
  if (parts.size() != 3 && parts.size() != 4) throw CliError(subject, expected, kExitUsage);
  return TintColor{parts[0], parts[1], parts[2], parts.size() == 4 ? parts[3] : 1.0};
}

}  // namespace cli
