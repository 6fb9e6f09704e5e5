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
  // Why Entry failed, when more can be said than that the line is not an entry.
  const std::string& error() const { return error_; }

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
  // "basic" (backslash escapes decoded as TOML defines them) or 'literal' (taken as it is).
  bool QuotedString(std::string& out) {
    if (at_ == line_.size() || (line_[at_] != '"' && line_[at_] != '\'')) return false;
    const char quote = line_[at_];
    out.clear();
    for (std::size_t i = at_ + 1; i < line_.size(); ++i) {
      if (line_[i] == quote) {
        at_ = i + 1;
        return true;
      }
      if (quote == '"' && line_[i] == '\\') {
        if (!Escape(i, out)) return false;
        continue;
      }
      out += line_[i];
    }
    return false;  // unterminated
  }
  // The escape whose backslash is at i, appended to out; i is left on its last character.
  // Anything TOML does not define is refused (error_ says why), never guessed at.
  bool Escape(std::size_t& i, std::string& out) {
    if (i + 1 == line_.size()) return false;  // unterminated
    const char letter = line_[++i];
    const char* const kLetters = "btnfr\"\\";
    const char* const kMeanings = "\b\t\n\f\r\"\\";
    if (const char* found = std::strchr(kLetters, letter); found && letter != '\0') {
      out += kMeanings[found - kLetters];
      return true;
    }
    if (letter != 'u' && letter != 'U') {
      error_ = "invalid escape \\" + Printable(letter) +
               " (TOML's are \\b \\t \\n \\f \\r \\\" \\\\ \\uXXXX \\UXXXXXXXX; a 'literal string' "
               "keeps backslashes as they are)";
      return false;
    }
    const std::size_t digits = letter == 'u' ? 4 : 8;
    const std::string hex = line_.substr(i + 1, digits);
    const std::string escape = std::string("\\") + letter + hex;
    if (hex.size() != digits ||
        hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      error_ = "invalid escape " + Quoted(escape) + " (\\" + letter + " takes exactly " +
               std::to_string(digits) + " hexadecimal digits)";
      return false;
    }
    const unsigned long code = std::stoul(hex, nullptr, 16);
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      error_ = "invalid escape " + escape + " (not a Unicode scalar value)";
      return false;
    }
    // A preset is text: a NUL byte is refused in the file, and so is one spelled as an escape.
    if (code == 0) {
      error_ = "escape " + escape + " is a NUL character, which no control takes";
      return false;
    }
    AppendUtf8(static_cast<char32_t>(code), out);
    i += digits;
    return true;
  }
  static void AppendUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  static std::string Printable(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) return std::string(1, c);
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("x") + kHex[byte >> 4] + kHex[byte & 0xF];
  }

  const std::string& line_;
  std::size_t at_ = 0;
  std::string error_;
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
    TomlLine entry(line);
    if (!entry.Entry(key, value)) {
      throw CliError(
          name,
          "line " + std::to_string(number) + ": " +
              (entry.error().empty() ? "expected name = value (one flat table)" : entry.error()),
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
