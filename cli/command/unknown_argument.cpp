#include "cli/command/unknown_argument.h"

#include <algorithm>
#include <set>
#include <vector>

#include "cli/report/cli_error.h"
#include "cli/report/nearest.h"

namespace cli {
namespace {

void AddOptionNames(const CLI::App& app, std::vector<std::string>& names) {
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_positional()) continue;
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    for (const std::string& name : option->get_snames()) names.push_back("-" + name);
  }
}

}  // namespace

std::string UnknownArgument(const CLI::App& app, int argc, const char* const* argv) {
  const CLI::App* command = &app;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    if (sub->parsed()) command = sub;
  }
  const std::vector<std::string> left = app.remaining(true);
  const std::set<std::string> stray(left.begin(), left.end());
  // CLI11 lists what is left in no order a user would know: the first as typed is told.
  std::string first_flag;
  std::string first_other;
  for (int i = 1; i < argc && first_flag.empty(); ++i) {
    const std::string arg = argv[i];
    if (stray.count(arg) == 0) continue;
    if (arg.size() > 1 && arg[0] == '-') {
      first_flag = arg.substr(0, arg.find('='));
    } else if (first_other.empty()) {
      first_other = arg;
    }
  }
  std::string where = "velmora";
  if (command != &app) where += " " + command->get_name();
  const std::string help = " (see " + where + " --help)";
  if (first_flag.empty()) {
    if (first_other.empty() && !left.empty()) first_other = left.front();
    return Quoted(first_other) + ": unexpected argument to " + where + help;
  }
  std::vector<std::string> known;
  AddOptionNames(*command, known);
  if (command != &app) AddOptionNames(app, known);
  std::sort(known.begin(), known.end());
  known.erase(std::unique(known.begin(), known.end()), known.end());
  const std::vector<std::string> nearest = Nearest(first_flag, known, 1);
  return OneLine(first_flag) + ": unknown option of " + where +
         (nearest.empty() ? "" : "; nearest: " + nearest.front()) + help;
}

}  // namespace cli
