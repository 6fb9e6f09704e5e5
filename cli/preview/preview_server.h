#pragma once
// The preview's HTTP endpoints, on 127.0.0.1 only:
//   GET  /                the page
//   GET  /controls.json   the effect's controls, as `velmora info --json` lists them
//   GET  /start.json      what the page starts from: the input, the frame, the preset's settings
//                         and view
//   GET  /source.png      the frame as read
//   GET  /render.png?radius=..&...&scale=0.5   the frame rendered with those controls
//   GET  /preset.toml?... those controls as a preset file, to download
//   POST /save-preset?... writes them to the preset file named when the server started
// A request's values are checked as the command's flags are; a bad one gets 400 and the
// one-line message. Nothing is read or written at a path a request names.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/preview/preview_renderer.h"

namespace cli::preview {

struct ServerSetup {
  std::string input;  // as given on the command line, for the page and the render command
  std::optional<long> frame;
  std::optional<std::filesystem::path> plugin;
  std::filesystem::path save_as;  // where Save preset writes
  ControlSettings start;          // the --preset's settings, the page's first values
  std::string view;               // the --preset's "DISPLAY/VIEW", the menu's first choice
  // The --preset's keys the page does not set (its display and view), saved as they were.
  std::vector<std::pair<std::string, std::string>> kept;
  std::optional<std::filesystem::path> ocio;  // --ocio, for the render command of such a preset
};

class PreviewServer {
 public:
  PreviewServer(PreviewRenderer& renderer, ServerSetup setup);
  ~PreviewServer();

  // Binds 127.0.0.1:port (0: a free port the system picks); returns the port. Throws CliError.
  int Bind(int port);
  // Serves until Stop; called once, after Bind.
  void Serve();
  void Stop();  // from any thread

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace cli::preview
