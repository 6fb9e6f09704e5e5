#include "cli/preset_file.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "cli/cli_error.h"

namespace cli {
namespace {

std::string ControlName(std::string key) {
  std::replace(key.begin(), key.end(), '_', '-');
  return key;
}

std::map<std::string, std::string> ParseJson(const std::string& text, const std::string& name) {
  nlohmann::json object;
  try {
    object = nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error& error) {
    throw CliError(name, "not valid JSON (byte " + std::to_string(error.byte) + ")", kExitUsage);
  }
  if (!object.is_object()) throw CliError(name, "expected one JSON object", kExitUsage);
  std::map<std::string, std::string> settings;
  for (const auto& [key, value] : object.items()) {
    if (value.is_string()) {
      settings[ControlName(key)] = value.get<std::string>();
    } else if (value.is_number() || value.is_boolean()) {
      settings[ControlName(key)] = value.dump();
    } else {
      throw CliError(name, key + ": expected a number, a string or true/false", kExitUsage);
    }
  }
  return settings;
}

// The flat part of TOML a preset needs: key = value lines, comments, basic and literal strings.
std::map<std::string, std::string> ParseToml(const std::string& text, const std::string& name) {
  static const std::regex line_pattern(
      R"(\s*([A-Za-z0-9_-]+|"[^"]*")\s*=\s*("(?:[^"\\]|\\.)*"|'[^']*'|[^#'"\s]+)\s*(?:#.*)?)");
  static const std::regex blank(R"(\s*(#.*)?)");
  std::map<std::string, std::string> settings;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (std::regex_match(line, blank)) continue;
    std::smatch match;
    if (!std::regex_match(line, match, line_pattern)) {
      throw CliError(name,
                     "line " + std::to_string(number) + ": expected name = value (one flat table)",
                     kExitUsage);
    }
    std::string key = match[1].str();
    if (key.front() == '"') key = key.substr(1, key.size() - 2);
    std::string value = match[2].str();
    if (value.front() == '\'') {
      value = value.substr(1, value.size() - 2);
    } else if (value.front() == '"') {
      std::string unescaped;
      for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '\\' && i + 2 < value.size()) ++i;
        unescaped += value[i];
      }
      value = unescaped;
    }
    if (!settings.emplace(ControlName(key), value).second) {
      throw CliError(name, "line " + std::to_string(number) + ": " + key + " is set twice",
                     kExitUsage);
    }
  }
  return settings;
}

}  // namespace

std::map<std::string, std::string> ParsePreset(const std::string& text, const std::string& name) {
  const std::string extension = std::filesystem::path(name).extension().string();
  if (extension == ".toml") return ParseToml(text, name);
  const auto first = text.find_first_not_of(" \t\r\n");
  if (extension == ".json" || (first != std::string::npos && text[first] == '{')) {
    return ParseJson(text, name);
  }
  return ParseToml(text, name);
}

std::map<std::string, std::string> ReadPresetFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    const bool exists = std::filesystem::exists(path);
    throw CliError(path.string(), exists ? "cannot read" : "no such file", kExitUsage);
  }
  std::ostringstream text;
  text << file.rdbuf();
  return ParsePreset(text.str(), path.string());
}

}  // namespace cli
