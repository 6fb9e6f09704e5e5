#pragma once
// The one line for a command line with arguments nothing takes.

#include <CLI/CLI.hpp>
#include <string>

namespace cli {

// "--radus: unknown option of velmora render; nearest: --radius (see velmora render --help)":
// the first unknown flag as typed (else the first stray argument) and the nearest option the
// command takes, after a parse that left arguments over.
std::string UnknownArgument(const CLI::App& app, int argc, const char* const* argv);

}  // namespace cli
