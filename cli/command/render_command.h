#pragma once
// velmora render: one image, or a numbered sequence, through one effect instance.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "cli/colour/colour_plan.h"
#include "cli/controls/controls.h"
#include "cli/image/image_io.h"
#include "cli/report/progress.h"
#include "hostsim/world_store.h"

namespace velmora::engine {
class EffectSession;
}

namespace cli {

struct RenderRequest {
  std::filesystem::path input;
  std::filesystem::path output;
  std::optional<std::string> frames;    // none: the frames on disk
  long frame_offset = 0;                // added to each frame number for the output's
  std::optional<hostsim::Depth> depth;  // default float
  std::string layer;                    // --layer: "" for the main RGBA layer
  std::optional<std::uint64_t> max_memory;
  WriteOptions write;        // --data-type, --compression, --quality; Software and ImageHistory
  ControlSettings controls;  // from flags; the preset fills what they leave out
  ColourRequest colour;      // --ocio and the colour spaces; the preset fills what they leave out
  std::optional<std::filesystem::path> preset;
  std::optional<std::filesystem::path> plugin;
  Verbosity verbosity = Verbosity::kNormal;
  bool skip_existing = false;  // leave frames whose output is already there
  bool strict = false;         // a frame missing among those found on disk is an error
  bool dry_run = false;        // print each frame's files on stdout, render nothing
  // For a caller in the same process (the Python module): told (done, total) after each frame
  // written or failed, from the render's threads; handed the session while it lives (nullptr
  // when it goes), so another thread can interrupt the frame in flight.
  std::function<void(long done, long total)> on_frame;
  std::function<void(velmora::engine::EffectSession*)> on_session;
};

// Throws CliError. Nothing is written for a frame that fails; in a sequence the other frames
// still render, and the error then names every frame that failed. A dry run checks as much
// (frames, controls, preset) and prints "1001 in.1001.exr -> out.1001.exr[ (kept)]" on out for
// each frame instead ("-" for the number of a single file).
void RunRender(const RenderRequest& request, std::ostream& out);

}  // namespace cli
