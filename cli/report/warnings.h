#pragma once
// Warnings: a run goes on, the user is told once ("velmora: warning: <file>: <what>").

#include <string>

namespace cli {

// Prints the warning the first time a warning of this kind is given in the run.
void WarnOnce(const std::string& kind, const std::string& text);

}  // namespace cli
