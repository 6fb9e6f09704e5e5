#pragma once
// The preview's one page: HTML, CSS and script built into the program, so it works offline
// and nothing is fetched but the server's own endpoints.

#include <string>

namespace cli::preview {

const std::string& PageHtml();

}  // namespace cli::preview
