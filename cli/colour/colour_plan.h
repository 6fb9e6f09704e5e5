#pragma once
// Which colour spaces a render reads, glows and writes in, settled once before the first frame:
// names resolved through the colour configuration, converters built once and shared by every
// frame of a sequence.

#include <OpenImageIO/color.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "cli/colour/colour_config.h"
#include "hostsim/depth.h"

namespace cli {

// A colour space or role as the user named it, and where: "--working-space" or
// "look.json: working_space".
struct ColourName {
  std::string name;
  std::string source;
};

struct ColourRequest {
  std::optional<std::filesystem::path> ocio;  // --ocio; default $OCIO, else the built-in set
  std::optional<ColourName> input;            // --colorspace
  std::optional<ColourName> working;          // --working-space
  std::optional<ColourName> output;           // --output-colorspace
  std::optional<ColourName> display;          // --display
  std::optional<ColourName> view;             // --view
  std::optional<ColourName> look;             // --look
};

// Moves a preset's colour entries (colorspace, working_space, output_colorspace, display, view,
// look) out of its
// control settings into request, where the command line left them unset.
void TakePresetColour(std::map<std::string, std::string>& preset, const std::string& preset_name,
                      ColourRequest& request);

// What a file says of its colour: its colour-space tag ("" without one) and its format's
// convention.
struct FileColour {
  enum Convention { kSceneLinear, kCineonLog, kSrgb };
  std::string tag;
  Convention convention = kSrgb;
};

// The space a file's values are in by its tag, else its format's convention, as a render
// without --colorspace reads them; nullopt when the config has none of those names.
std::optional<std::string> ConventionalSpace(const ColourConfig& config, const FileColour& file);

class ColourPlan {
 public:
  // Null when no colour space is named: the effect sees the file's values and the file's tag
  // goes along as it was. Throws CliError (usage) for a config that does not load or a name it
  // does not know, before anything renders.
  static std::shared_ptr<const ColourPlan> Make(const ColourRequest& request);

  // The space a file's layer is in: --colorspace, else the file's tag when the config knows
  // it, else its format's convention (scene-linear for OpenEXR, log for Cineon-coded DPX,
  // sRGB otherwise). Throws CliError naming the file when the config has no such space.
  std::string InputSpace(const FileColour& file, const std::string& file_name) const;
  // Input to working space before the render; null without a working space or when the two
  // are the same.
  std::shared_ptr<const OIIO::ColorProcessor> ToWorking(const std::string& input) const;
  // Working (or, without one, input) to output space after the render; null when the same.
  std::shared_ptr<const OIIO::ColorProcessor> ToOutput(const std::string& input) const;
  // The output's space, written as its colour-space tag.
  std::string OutputSpace(const std::string& input) const;

  // Warns once about settings that fight the working space: --gamma decoding values already
  // converted, and linear light kept in 8 bits.
  void WarnAboutSettings(bool gamma, hostsim::Depth depth) const;

  const ColourConfig& config() const { return *config_; }

 private:
  std::shared_ptr<const ColourConfig> config_;
  std::optional<std::string> input_, working_, output_;  // resolved names
  ColourConfig::Delivery delivery_;                      // display, view and looks
  std::string working_source_;
};

}  // namespace cli
