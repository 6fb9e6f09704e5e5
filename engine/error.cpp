#include "engine/error.h"

#include <algorithm>

namespace velmora::engine {
namespace {

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

}  // namespace

std::string OneLine(const std::string& message) {
  std::string line;
  line.reserve(message.size());
  for (const char c : message) {
    if (!IsControl(c)) {
      line.push_back(c);
    } else if (c == '\n') {
      line.append("\\n");
    } else if (c == '\t') {
      line.append("\\t");
    } else if (c == '\r') {
      line.append("\\r");
    } else {
      static const char kHex[] = "0123456789abcdef";
      const auto byte = static_cast<unsigned char>(c);
      line.append({'\\', 'x', kHex[byte >> 4], kHex[byte & 15]});
    }
  }
  return line;
}

std::string ShownName(const std::string& name) {
  if (std::none_of(name.begin(), name.end(), IsControl)) return name;
  std::string quoted(1, '\'');
  quoted.append(OneLine(name));
  quoted.push_back('\'');
  return quoted;
}

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
  quoted.append(OneLine(Excerpt(text)));
  quoted.push_back('\'');
  return quoted;
}

}  // namespace velmora::engine
