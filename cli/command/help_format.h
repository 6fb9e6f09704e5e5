#pragma once
// Help text as a user reads it: an option's name and the kind of value it takes, without the
// parser's own markup ({false}, Excludes:, INT:{8,16}).

#include <CLI/CLI.hpp>
#include <memory>

namespace cli {

std::shared_ptr<CLI::Formatter> PlainHelpFormatter();

}  // namespace cli
