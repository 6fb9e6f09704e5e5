#include "cli/cli_error.h"

namespace cli {

std::string Excerpt(const std::string& text) {
  constexpr std::size_t kShown = 40;
  if (text.size() <= kShown) return text;
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  std::string shown(text, 0, cut);
  shown.append("...");
  return shown;
}

std::string Quoted(const std::string& text) {
  std::string quoted(1, '\'');
  quoted.append(Excerpt(text));
  quoted.push_back('\'');
  return quoted;
}

}  // namespace cli
