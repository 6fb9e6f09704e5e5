#pragma once
// The manual page and the bash completion, both written from the parsed command's own option
// definitions (the same ones --help prints), so neither can drift from the command.

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

namespace cli {

// velmora.1 in roff: the command's options, then each visible subcommand with its arguments.
void WriteManPage(const CLI::App& app, const std::string& version, std::ostream& out);

// A bash completion function for the command: subcommands, flags, and the choices of options
// whose value is one of a fixed list ("screen|add"); file names for FILE and PATH values.
void WriteBashCompletion(const CLI::App& app, std::ostream& out);

}  // namespace cli
