#include "cli/colour_config.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <numeric>

#include "cli/cli_error.h"

namespace cli {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// Edits (insert, delete, replace) from one word to the other, regardless of case.
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

// The roles OpenColorIO names; the built-in set lists none of them but answers to some.
constexpr const char* kStandardRoles[] = {
    "default",       "reference",        "data",
    "scene_linear",  "compositing_log",  "color_timing",
    "color_picking", "texture_paint",    "matte_paint",
    "rendering",     "aces_interchange", "cie_xyz_d65_interchange"};

std::string Text(const char* text) {
  return text ? text : "";
}

// OpenImageIO's message about a config, without its repeated preamble.
std::string LoadFailure(std::string message) {
  const std::string preamble = "Error reading OCIO config ";
  if (message.rfind(preamble, 0) == 0) {
    const std::size_t colon = message.find("\": ");
    if (colon != std::string::npos) message.erase(0, colon + 3);
  }
  return message.empty() ? "not a colour configuration" : message;
}

std::string Padded(const std::string& text, std::size_t width) {
  return text + std::string(text.size() < width ? width - text.size() : 1, ' ');
}

}  // namespace

std::shared_ptr<const ColourConfig> ColourConfig::Load(
    const std::optional<std::filesystem::path>& path) {
  std::shared_ptr<ColourConfig> config(new ColourConfig);
  const char* variable = std::getenv("OCIO");
  std::string file;
  std::string who;
  if (path) {
    file = path->string();
    who = "--ocio";
  } else if (variable && *variable) {
    file = variable;
    who = "$OCIO";
  }
  if (!file.empty()) {
    // OpenImageIO falls back to its built-in set when a file fails; a pipeline's config must
    // not be swapped for another without a word.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
      throw CliError(who, Quoted(file) + " is no colour configuration file", kExitUsage);
    }
    config->config_ = std::make_unique<OIIO::ColorConfig>(file);
    if (config->config_->has_error()) {
      throw CliError(who, Quoted(file) + ": " + LoadFailure(config->config_->geterror()),
                     kExitUsage);
    }
    config->description_ = file + " (from " + who + ")";
  } else {
    config->config_ = std::make_unique<OIIO::ColorConfig>(std::string());
    config->config_->geterror();  // "no config file" is what the built-in set means
    config->description_ = "OpenImageIO's built-in set ($OCIO is not set)";
  }
  return config;
}

std::vector<std::pair<std::string, std::string>> ColourConfig::roles() const {
  std::vector<std::pair<std::string, std::string>> found;
  std::vector<std::string> names = config_->getRoles();
  if (names.empty()) names.assign(std::begin(kStandardRoles), std::end(kStandardRoles));
  for (const std::string& role : names) {
    const std::string space = Text(config_->getColorSpaceNameByRole(role));
    if (!space.empty()) found.emplace_back(role, space);
  }
  return found;
}

std::string ColourConfig::family(const std::string& space) const {
  return Text(config_->getColorSpaceFamilyByName(space));
}

std::vector<std::string> ColourConfig::aliases(const std::string& space) const {
  return config_->getAliases(space);
}

bool ColourConfig::is_linear(const std::string& space) const {
  return config_->isColorSpaceLinear(space);
}

std::optional<std::string> ColourConfig::Resolve(std::string_view name) const {
  if (name.empty()) return std::nullopt;
  const std::vector<std::string> names = spaces();
  for (const std::string& space : names) {
    if (space == name) return space;
  }
  // Roles (and, in OpenColorIO's configs, aliases and names in any case).
  const std::string by_role = Text(config_->getColorSpaceNameByRole(name));
  if (!by_role.empty()) return by_role;
  const std::string lower = Lower(name);
  for (const std::string& space : names) {
    if (Lower(space) == lower) return space;
    for (const std::string& alias : aliases(space)) {
      if (Lower(alias) == lower) return space;
    }
  }
  return std::nullopt;
}

std::vector<std::string> ColourConfig::Nearest(std::string_view name, std::size_t count) const {
  std::vector<std::string> candidates = spaces();
  for (const auto& [role, space] : roles()) candidates.push_back(role);
  for (const std::string& space : spaces()) {
    for (const std::string& alias : aliases(space)) candidates.push_back(alias);
  }
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  const std::string lower = Lower(name);
  // A name holding what was typed ("acescg" in "lin_acescg") is as near as one typing slip.
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

std::string ColourConfig::ResolveOrRefuse(std::string_view name, const std::string& who) const {
  if (const auto resolved = Resolve(name)) return *resolved;
  std::string nearest;
  for (const std::string& candidate : Nearest(name, 3)) {
    nearest += (nearest.empty() ? "" : ", ") + candidate;
  }
  throw CliError(who,
                 "no colour space or role " + Quoted(std::string(name)) + " in " + description_ +
                     (nearest.empty() ? "" : "; nearest: " + nearest) +
                     " (velmora info --colorspaces lists them)",
                 kExitUsage);
}

std::shared_ptr<const OIIO::ColorProcessor> ColourConfig::Converter(const std::string& from,
                                                                    const std::string& to) const {
  if (from == to) return nullptr;
  std::lock_guard lock(mutex_);
  const auto key = std::make_pair(from, to);
  if (const auto found = converters_.find(key); found != converters_.end()) return found->second;
  OIIO::ColorProcessorHandle made = config_->createColorProcessor(from, to);
  if (!made) {
    const std::string reason = config_->geterror();
    throw CliError("colour", "cannot convert " + Quoted(from) + " to " + Quoted(to) +
                                 (reason.empty() ? "" : ": " + reason));
  }
  std::shared_ptr<const OIIO::ColorProcessor> converter;
  if (!made->isNoOp()) converter = std::move(made);
  converters_.emplace(key, converter);
  return converter;
}

void PrintColourSpaces(const ColourConfig& config, std::ostream& out) {
  out << "Colour config: " << config.description() << "\n\nColour spaces:\n";
  const std::vector<std::string> spaces = config.spaces();
  std::size_t name_width = 0;
  std::size_t family_width = 0;
  for (const std::string& space : spaces) {
    name_width = std::max(name_width, space.size() + 2);
    family_width = std::max(family_width, config.family(space).size() + 2);
  }
  for (const std::string& space : spaces) {
    std::string notes = config.is_linear(space) ? "linear" : "";
    const std::vector<std::string> aliases = config.aliases(space);
    for (std::size_t i = 0; i < aliases.size(); ++i) {
      notes += (i == 0 ? (notes.empty() ? "aliases: " : "; aliases: ") : ", ") + aliases[i];
    }
    std::string line =
        "  " + Padded(space, name_width) + Padded(config.family(space), family_width);
    line += notes;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << "\n";
  }
  const auto roles = config.roles();
  out << "\nRoles:\n";
  std::size_t role_width = 0;
  for (const auto& [role, space] : roles) role_width = std::max(role_width, role.size() + 2);
  for (const auto& [role, space] : roles) out << "  " << Padded(role, role_width) << space << "\n";
}

void PrintColourSummary(const std::optional<std::filesystem::path>& path, std::ostream& out) {
  out << "\nColour config: ";
  try {
    const auto config = ColourConfig::Load(path);
    out << config->description() << ", " << config->spaces().size()
        << " colour spaces (velmora info --colorspaces lists them)\n";
  } catch (const CliError& error) {
    out << OneLine(error.what()) << "\n";
  }
}

}  // namespace cli
