#include "cli/report/nearest.h"

#include <algorithm>
#include <cctype>
#include <numeric>

namespace cli {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

}  // namespace

std::size_t EditDistance(std::string_view a_text, std::string_view b_text) {
  const std::string a = Lower(a_text);
  const std::string b = Lower(b_text);
  std::vector<std::size_t> previous(b.size() + 1);
  std::vector<std::size_t> current(b.size() + 1);
  std::iota(previous.begin(), previous.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      current[j] = std::min(
          {previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
    }
    std::swap(previous, current);
  }
  return previous[b.size()];
}

std::vector<std::string> Nearest(std::string_view name, std::vector<std::string> candidates,
                                 std::size_t count) {
  const std::string lower = Lower(name);
  auto score = [&](const std::string& candidate) {
    const std::size_t edits = EditDistance(name, candidate);
    return !lower.empty() && Lower(candidate).find(lower) != std::string::npos
               ? std::min<std::size_t>(edits, 1)
               : edits;
  };
  std::stable_sort(candidates.begin(), candidates.end(),
                   [&](const std::string& a, const std::string& b) { return score(a) < score(b); });
  if (candidates.size() > count) candidates.resize(count);
  return candidates;
}

}  // namespace cli
