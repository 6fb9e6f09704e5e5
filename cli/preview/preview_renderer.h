#pragma once
// The previewed frame and the effect loaded once: each request renders the frame with its
// controls (the rest at the effect's defaults) at the scale it asks for, through the host's
// own downsampling. One render runs at a time; a newer request interrupts the one in flight
// through the host's abort check, and requests overtaken while waiting never start, so stale
// frames never queue.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/colour/colour_config.h"
#include "cli/controls/controls.h"
#include "cli/image/image_io.h"
#include "cli/preview/frame_stats.h"
#include "cli/preview/png_frame.h"
#include "cli/preview/query_controls.h"
#include "engine/comp_options.h"
#include "engine/effect_module.h"
#include "engine/effect_session.h"

namespace cli::preview {

struct PreviewSource {
  std::filesystem::path file;  // the frame's file
  std::optional<std::filesystem::path> plugin;
  std::optional<std::uint64_t> max_memory;
  ControlSettings start;  // the --preset's settings: the frame is read with room for them
  // The colour config whose views the page offers (--ocio, else $OCIO, else the built-in set,
  // which has none); null offers none.
  std::shared_ptr<const ColourConfig> colour;
};

struct RenderedFrame {
  std::string png;
  double milliseconds = 0;  // the effect's render, without the encoding
  FrameStats stats;
  int width = 0, height = 0;
};

// A request a newer one overtook: it was interrupted or never started.
struct Superseded {};

class PreviewRenderer {
 public:
  // Loads the effect and reads the frame; throws CliError.
  explicit PreviewRenderer(const PreviewSource& source);

  // Throws CliError (usage) for a setting the flags would refuse or a frame too large for the
  // memory allowed at these settings, CliError for a render that failed, Superseded.
  // viewing changes the PNG alone; an unknown view or one the config cannot make is refused.
  RenderedFrame Render(const ControlSettings& controls, int downsample,
                       const Viewing& viewing = {});
  // The effect's controls as `velmora info --json` lists them.
  const std::string& ControlsJson() const { return controls_json_; }
  // The source frame as read, encoded as the render is.
  std::string SourcePng(const Viewing& viewing = {});
  // The config's displays with their views, for the page's menu.
  std::string ViewsJson() const;
  // A preset's display and view (either may be unset: the config's default) as the page's menu
  // names them, "DISPLAY/VIEW". Throws CliError (usage) from who asked when the page cannot
  // show the frame through them: no config, a name it does not know, a frame in none of its
  // spaces; CliError when the config cannot make the view.
  std::string ResolveView(const ColourConfig::Asked& display,
                          const ColourConfig::Asked& view) const;
  // The settings checked as Render checks them, then the preset text for them.
  std::string Preset(const ControlSettings& controls);

  // Interrupts the render in flight and every one waiting (the server is stopping).
  void Stop();

 private:
  // The settings over the effect's defaults, refused when the frame would need too much memory.
  GlowControls Checked(const ControlSettings& settings);  // under mutex_
  // The processor and tag for viewing; no processor for the values as stored.
  struct ViewChoice {
    std::shared_ptr<const OIIO::ColorProcessor> processor;
    std::string tag;
  };
  ViewChoice View(const Viewing& viewing) const;

  std::string name_;
  std::optional<std::uint64_t> max_memory_;
  std::mutex mutex_;
  velmora::engine::EffectSession session_;
  InputFrame frame_;
  std::string source_png_;
  std::shared_ptr<const ColourConfig> colour_;
  std::optional<std::string> frame_space_;  // the frame's space in colour_, when it has one
  std::string controls_json_;
  std::atomic<std::uint64_t> latest_{0};
  std::atomic<bool> stopped_{false};
};

}  // namespace cli::preview
