#pragma once
// velmora preview: a page in the browser to choose the look on a real frame, served from
// 127.0.0.1 only, with the effect loaded once.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace cli::preview {

struct PreviewFlags {
  std::filesystem::path input;
  int port = 0;  // 0: a free port
  std::optional<std::filesystem::path> preset;
  std::optional<long> frame;
  std::filesystem::path save_as = "velmora-preset.toml";
  std::string max_memory;
};

CLI::App* AddPreviewCommand(CLI::App& app, PreviewFlags& flags);

// Prints the page's address on out and serves until Ctrl-C or SIGTERM. Throws CliError.
// ocio is the global --ocio: its views (else $OCIO's) are offered for viewing only.
void RunPreview(const PreviewFlags& flags, const std::optional<std::filesystem::path>& plugin,
                const std::optional<std::filesystem::path>& ocio, std::ostream& out);

}  // namespace cli::preview
