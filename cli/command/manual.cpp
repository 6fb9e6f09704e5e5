#include "cli/command/manual.h"

#include <regex>
#include <vector>

namespace cli {
namespace {

std::vector<const CLI::App*> VisibleSubcommands(const CLI::App& app) {
  std::vector<const CLI::App*> visible;
  for (const CLI::App* sub : app.get_subcommands({})) {
    if (!sub->get_group().empty()) visible.push_back(sub);
  }
  return visible;
}

bool TakesValue(const CLI::Option* option) {
  return option->get_type_size() != 0;
}

// What the option takes, as help shows it: "PIXELS", "screen|add", "NAME[:LEVEL]".
std::string ValueText(const CLI::Option* option) {
  if (!option->get_option_text().empty()) return option->get_option_text();
  if (!TakesValue(option)) return "";
  const std::string type = option->get_type_name();
  return type.substr(0, type.find(':'));
}

// The option's spellings: "-q", "--quiet", and a switch's "--no-" form.
std::vector<std::string> Spellings(const CLI::Option* option) {
  std::vector<std::string> names;
  for (const std::string& name : option->get_snames()) names.push_back("-" + name);
  for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
  for (const std::string& name : option->get_fnames()) {
    const std::string spelled = (name.size() > 1 ? "--" : "-") + name;
    if (std::find(names.begin(), names.end(), spelled) == names.end()) names.push_back(spelled);
  }
  return names;
}

std::vector<const CLI::Option*> Named(const CLI::App& app) {
  std::vector<const CLI::Option*> named;
  for (const CLI::Option* option : app.get_options()) {
    if (option->nonpositional() && !option->get_group().empty()) named.push_back(option);
  }
  return named;
}

std::vector<const CLI::Option*> Positionals(const CLI::App& app) {
  std::vector<const CLI::Option*> positionals;
  for (const CLI::Option* option : app.get_options()) {
    if (!option->nonpositional()) positionals.push_back(option);
  }
  return positionals;
}

// roff: backslashes and hyphens spelled out, no line starting with a control character.
std::string Roff(const std::string& text) {
  std::string out;
  bool line_start = true;
  for (const char c : text) {
    if (line_start && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out.push_back(c);
    }
    line_start = c == '\n';
  }
  return out;
}

void WriteOptions(const std::vector<const CLI::Option*>& options, std::ostream& out) {
  for (const CLI::Option* option : options) {
    out << ".TP\n";
    const std::vector<std::string> names = Spellings(option);
    for (std::size_t i = 0; i < names.size(); ++i) {
      out << (i ? ", " : "") << "\\fB" << Roff(names[i]) << "\\fR";
    }
    if (const std::string value = ValueText(option); !value.empty()) {
      out << (names.empty() ? "" : " ") << "\\fI" << Roff(value) << "\\fR";
    }
    out << "\n" << Roff(option->get_description()) << "\n";
  }
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A value that is one of a fixed list of words.
std::vector<std::string> Choices(const std::string& value) {
  static const std::regex kList("[a-z0-9_.]+(\\|[a-z0-9_.]+)+");
  std::vector<std::string> choices;
  if (!std::regex_match(value, kList)) return choices;
  std::size_t start = 0;
  for (std::size_t bar; (bar = value.find('|', start)) != std::string::npos; start = bar + 1) {
    choices.push_back(value.substr(start, bar - start));
  }
  choices.push_back(value.substr(start));
  return choices;
}

std::string Join(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
  return joined;
}

void WriteValueCases(const CLI::App& app, std::ostream& out) {
  for (const CLI::Option* option : Named(app)) {
    const std::string value = ValueText(option);
    if (value.empty()) continue;
    std::string action;
    if (const std::vector<std::string> choices = Choices(value); !choices.empty()) {
      action = "COMPREPLY=($(compgen -W \"" + Join(choices) + "\" -- \"$cur\"))";
    } else if (value == "FILE" || value == "PATH") {
      action = "COMPREPLY=($(compgen -f -- \"$cur\"))";
    } else {
      action = "COMPREPLY=()";
    }
    std::string pattern;
    for (const std::string& name : Spellings(option))
      pattern += (pattern.empty() ? "" : "|") + name;
    out << "      " << pattern << ") " << action << "; return ;;\n";
  }
}

}  // namespace

void WriteManPage(const CLI::App& app, const std::string& version, std::ostream& out) {
  const std::string name = app.get_name();
  out << ".\\\" Written by '" << name << " --manual man' from the command's own options.\n";
  out << ".TH " << Upper(name) << " 1 \"\" \"" << name << " " << version
      << "\" \"User Commands\"\n";
  out << ".SH NAME\n" << name << " \\- " << Roff(app.get_description()) << "\n";
  out << ".SH SYNOPSIS\n";
  for (const CLI::App* sub : VisibleSubcommands(app)) {
    out << ".B " << name << "\n[\\fIOPTIONS\\fR] \\fB" << sub->get_name() << "\\fR";
    for (const CLI::Option* positional : Positionals(*sub)) {
      out << " \\fI" << Roff(positional->get_type_name()) << "\\fR";
    }
    out << " [\\fIOPTIONS\\fR]\n.br\n";
  }
  out << ".B " << name << "\n\\fB\\-\\-version\\fR\n";
  out << ".SH OPTIONS\nThese apply to every command.\n";
  WriteOptions(Named(app), out);
  out << ".SH COMMANDS\n";
  for (const CLI::App* sub : VisibleSubcommands(app)) {
    out << ".SS " << name << " " << sub->get_name() << "\n"
        << Roff(sub->get_description()) << ".\n";
    std::vector<const CLI::Option*> positionals = Positionals(*sub);
    WriteOptions(positionals, out);
    WriteOptions(Named(*sub), out);
  }
  if (!app.get_footer().empty()) {
    out << ".SH NOTES\n";
    std::string footer = Roff(app.get_footer());
    for (std::size_t at = 0; (at = footer.find('\n', at)) != std::string::npos; at += 5) {
      footer.replace(at, 1, "\n.PP\n");
    }
    out << footer << "\n";
  }
  out << ".SH SEE ALSO\n\\fBffmpeg\\fR(1), \\fBmelt\\fR(1)\n";
}

void WriteBashCompletion(const CLI::App& app, std::ostream& out) {
  const std::string name = app.get_name();
  std::vector<std::string> subcommands;
  for (const CLI::App* sub : VisibleSubcommands(app)) subcommands.push_back(sub->get_name());
  std::vector<std::string> global{"--help"};
  for (const CLI::Option* option : Named(app)) {
    for (const std::string& spelling : Spellings(option)) global.push_back(spelling);
  }
  std::string pattern;
  for (const std::string& sub : subcommands) pattern += (pattern.empty() ? "" : "|") + sub;

  out << "# bash completion for " << name << ", written by '" << name
      << " --manual bash' from the command's own options.\n"
      << "_" << name << "() {\n"
      << "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
      << "  local sub=\"\" i\n"
      << "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      << "    case \"${COMP_WORDS[i]}\" in " << pattern
      << ") sub=\"${COMP_WORDS[i]}\"; break ;; esac\n"
      << "  done\n"
      << "  case \"$prev\" in\n";
  WriteValueCases(app, out);
  out << "  esac\n"
      << "  case \"$sub\" in\n";
  for (const CLI::App* sub : VisibleSubcommands(app)) {
    std::vector<std::string> flags = global;
    for (const CLI::Option* option : Named(*sub)) {
      for (const std::string& spelling : Spellings(option)) flags.push_back(spelling);
    }
    out << "    " << sub->get_name() << ")\n"
        << "      case \"$prev\" in\n";
    WriteValueCases(*sub, out);
    out << "      esac\n"
        << "      if [[ \"$cur\" == -* ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"" << Join(flags) << "\" -- \"$cur\"))\n"
        << "      else\n"
        << "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        << "      fi ;;\n";
  }
  out << "    *)\n"
      << "      if [[ \"$cur\" == -* ]]; then\n"
      << "        COMPREPLY=($(compgen -W \"" << Join(global) << "\" -- \"$cur\"))\n"
      << "      else\n"
      << "        COMPREPLY=($(compgen -W \"" << Join(subcommands) << "\" -- \"$cur\"))\n"
      << "      fi ;;\n"
      << "  esac\n"
      << "}\n"
      << "complete -o filenames -F _" << name << " " << name << "\n";
}

}  // namespace cli
