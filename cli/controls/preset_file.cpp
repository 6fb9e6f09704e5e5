#include "cli/controls/preset_file.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string_view>

#include "cli/report/cli_error.h"

namespace cli {
namespace {

std::string ControlName(std::string key) {
  std::replace(key.begin(), key.end(), '_', '-');
  return key;
}

// Reads one flat JSON object as events, without building a document: nesting of any depth
// costs nothing, and the key being read is known when a value fails.
class FlatObjectReader : public nlohmann::json_sax<nlohmann::json> {
 public:
  explicit FlatObjectReader(const std::string& name) : name_(name) {}
  std::map<std::string, std::string> settings;

  bool null() override { return NotAValue(); }
  bool boolean(bool value) override { return Value(value ? "true" : "false"); }
  bool number_integer(number_integer_t value) override { return Value(std::to_string(value)); }
  bool number_unsigned(number_unsigned_t value) override { return Value(std::to_string(value)); }
  bool number_float(number_float_t, const string_t& text) override { return Value(text); }
  bool string(string_t& value) override { return Value(value); }
  bool binary(binary_t&) override { return NotAValue(); }
  bool start_object(std::size_t) override { return ++depth_ == 1 || NotAValue(); }
  bool end_object() override {
    --depth_;
    return true;
  }
  bool start_array(std::size_t) override { return NotAValue(); }
  bool end_array() override { return true; }
  bool key(string_t& key) override {
    key_ = key;
    return true;
  }
  bool parse_error(std::size_t position, const std::string& token,
                   const nlohmann::detail::exception& error) override {
    if (error.id == 406) {  // a number beyond what a double holds
      throw CliError(name_,
                     Quoted(key_) + ": " + Excerpt(token) + " is outside the range of numbers",
                     kExitUsage);
    }
    throw CliError(name_, "not valid JSON (byte " + std::to_string(position) + ")", kExitUsage);
  }

 private:
  bool Value(const std::string& text) {
    if (depth_ != 1) return NotAValue();
    if (!settings.emplace(ControlName(key_), text).second) {
      throw CliError(name_, Quoted(key_) + " is set twice", kExitUsage);
    }
    return true;
  }
  bool NotAValue() {
    if (depth_ == 0) throw CliError(name_, "expected one JSON object", kExitUsage);
    throw CliError(name_, Quoted(key_) + ": expected a number, a string or true/false", kExitUsage);
  }

  const std::string& name_;
  std::string key_;
  int depth_ = 0;
};

std::map<std::string, std::string> ParseJson(const std::string& text, const std::string& name) {
  FlatObjectReader reader(name);
  nlohmann::json::sax_parse(text, &reader);
  return reader.settings;
}

// Reads the flat part of TOML a preset needs, one line at a time: key = value, comments, basic
// and literal strings. A cursor over one line, so no line is too long for it.
class TomlLine {
 public:
  explicit TomlLine(const std::string& line) : line_(line) {}

  bool Blank() {
    SkipSpace();
    return at_ == line_.size() || line_[at_] == '#';
  }
  // key = value [# comment]; false when the line is not that.
  bool Entry(std::string& key, std::string& value) {
    SkipSpace();
    if (!QuotedString(key) && !Bare(key,
                                    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                    "0123456789_-")) {
      return false;
    }
    SkipSpace();
    if (at_ == line_.size() || line_[at_] != '=') return false;
    ++at_;
    SkipSpace();
    if (!QuotedString(value) && !Bare(value, nullptr)) return false;
    return Blank();
  }

 private:
  void SkipSpace() {
    while (at_ < line_.size() && (line_[at_] == ' ' || line_[at_] == '\t')) ++at_;
  }
  // A run of allowed characters (any but space, quotes and '#' when allowed is null).
  bool Bare(std::string& out, const char* allowed) {
    const std::size_t start = at_;
    while (at_ < line_.size()) {
      const char c = line_[at_];
      const bool ok = allowed ? std::strchr(allowed, c) != nullptr && c != '\0'
                              : c != ' ' && c != '\t' && c != '#' && c != '\'' && c != '"';
      if (!ok) break;
      ++at_;
    }
    out = line_.substr(start, at_ - start);
    return at_ > start;
  }
  // "basic" (a backslash keeps the next character) or 'literal'.
  bool QuotedString(std::string& out) {
    if (at_ == line_.size() || (line_[at_] != '"' && line_[at_] != '\'')) return false;
    const char quote = line_[at_];
    out.clear();
    for (std::size_t i = at_ + 1; i < line_.size(); ++i) {
      if (line_[i] == quote) {
        at_ = i + 1;
        return true;
      }
      if (quote == '"' && line_[i] == '\\' && i + 1 < line_.size()) ++i;
      out += line_[i];
    }
    return false;  // unterminated
  }

  const std::string& line_;
  std::size_t at_ = 0;
};

std::map<std::string, std::string> ParseToml(const std::string& text, const std::string& name) {
  std::map<std::string, std::string> settings;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (TomlLine(line).Blank()) continue;
    std::string key, value;
    if (!TomlLine(line).Entry(key, value)) {
      throw CliError(name,
                     "line " + std::to_string(number) + ": expected name = value (one flat table)",
                     kExitUsage);
    }
    if (!settings.emplace(ControlName(key), value).second) {
      throw CliError(name, "line " + std::to_string(number) + ": " + Quoted(key) + " is set twice",
                     kExitUsage);
    }
  }
  return settings;
}

}  // namespace

std::map<std::string, std::string> ParsePreset(const std::string& text, const std::string& name) {
  // A NUL ends the text for some parsers and not others: a preset is text, so refuse it.
  if (const auto nul = text.find('\0'); nul != std::string::npos) {
    throw CliError(name, "holds a NUL byte (byte " + std::to_string(nul) + "); not a text file",
                   kExitUsage);
  }
  // Editors on some systems start UTF-8 files with a byte order mark.
  const std::string_view kBom = "\xEF\xBB\xBF";
  const std::string body = text.starts_with(kBom) ? text.substr(kBom.size()) : text;
  const std::string extension = std::filesystem::path(name).extension().string();
  if (extension == ".toml") return ParseToml(body, name);
  const auto first = body.find_first_not_of(" \t\r\n");
  if (extension == ".json" || (first != std::string::npos && body[first] == '{')) {
    return ParseJson(body, name);
  }
  return ParseToml(body, name);
}

std::map<std::string, std::string> ReadPresetFile(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  // A loop of links or a folder we may not enter is not the same as no file at all.
  if (error && error != std::errc::no_such_file_or_directory) {
    throw CliError(path.string(), "cannot read: " + error.message(), kExitUsage);
  }
  if (std::filesystem::is_directory(status)) {
    throw CliError(path.string(), "is a folder, not a preset file", kExitUsage);
  }
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    throw CliError(path.string(), "is not a regular file", kExitUsage);
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw CliError(path.string(), std::filesystem::exists(status) ? "cannot read" : "no such file",
                   kExitUsage);
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) throw CliError(path.string(), "cannot read", kExitUsage);
  return ParsePreset(text.str(), path.string());
}

}  // namespace cli
