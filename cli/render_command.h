#pragma once
// velmora render: one image, or a numbered sequence, through one effect instance.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "cli/controls.h"
#include "cli/image_io.h"
#include "cli/progress.h"
#include "hostsim/world_store.h"

namespace cli {

struct RenderRequest {
  std::filesystem::path input;
  std::filesystem::path output;
  std::optional<std::string> frames;
  std::optional<hostsim::Depth> depth;  // default float
  std::string layer;                    // --layer: "" for the main RGBA layer
  std::optional<std::uint64_t> max_memory;
  WriteOptions write;        // --data-type, --compression, --quality; Software and ImageHistory
  ControlSettings controls;  // from flags; the preset fills what they leave out
  std::optional<std::filesystem::path> preset;
  std::optional<std::filesystem::path> plugin;
  Verbosity verbosity = Verbosity::kNormal;
};

// Throws CliError; nothing is written for a frame that fails.
void RunRender(const RenderRequest& request);

}  // namespace cli
