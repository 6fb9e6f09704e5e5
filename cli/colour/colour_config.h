#pragma once
// The colour configuration velmora converts through: an OpenColorIO config file (--ocio, else
// $OCIO) or OpenImageIO's built-in set, its colour spaces and roles, names resolved as the
// config spells them, and converters built once per pair of spaces.
//
// A config is written by someone else and names files OpenColorIO then reads: every one is
// checked (a regular file of bounded size) before anything opens it, and OpenColorIO's reasons
// for a file it cannot read are never shown, since they may quote the file.

#include <OpenColorIO/OpenColorIO.h>
#include <OpenImageIO/color.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cli {

// The largest colour config and the largest file one may name (a LUT, a CDL, a matrix) that
// velmora lets OpenColorIO read. Configs are text of a few hundred KB; LUT files in use are at
// most tens of MB (a 65-point cube as text is about 7 MB).
inline constexpr std::uintmax_t kMaxColourConfigBytes = std::uintmax_t{16} << 20;
inline constexpr std::uintmax_t kMaxTransformFileBytes = std::uintmax_t{256} << 20;

class ColourConfig {
 public:
  // Loads path when given (from --ocio), else the file $OCIO names, else OpenImageIO's
  // built-in set. A file that cannot be loaded is refused (CliError, usage), never quietly
  // replaced by the built-in set; so is a config naming a file (in any colour space, look,
  // view transform or named transform) that is not a regular file of at most
  // kMaxTransformFileBytes, before OpenColorIO opens any of them.
  static std::shared_ptr<const ColourConfig> Load(const std::optional<std::filesystem::path>& path);

  // "/studio/aces.ocio (from $OCIO)", "OpenImageIO's built-in set ($OCIO is not set)".
  const std::string& description() const { return description_; }

  std::vector<std::string> spaces() const { return config_->getColorSpaceNames(); }
  // Each role with the space it stands for.
  std::vector<std::pair<std::string, std::string>> roles() const;
  std::string family(const std::string& space) const;
  std::vector<std::string> aliases(const std::string& space) const;
  std::vector<std::string> displays() const;
  std::vector<std::string> views(const std::string& display) const;
  // Each look with the space it is processed in.
  std::vector<std::pair<std::string, std::string>> looks() const;
  // What the config says a space holds: linear light, data, or neither, and where it says
  // so ("encoding scene-linear", "role scene_linear", "family Utility/Linear"). A config that
  // says nothing of a space (encodings came with version 2 configs) leaves OpenImageIO's
  // reading of its name, and why says so.
  struct Nature {
    bool linear = false;
    bool data = false;
    std::string why;
  };
  Nature nature(const std::string& space) const;
  bool is_linear(const std::string& space) const { return nature(space).linear; }
  // The tag a PNG of space's values is written with, so it gets the chunks that say what it
  // holds: "sRGB" (an sRGB chunk) when the config's space carries greys by sRGB's curve,
  // whatever it is called; "Linear" (gamma 1.0) when the config says linear light; else space.
  std::string PngTag(const std::string& space) const;

  // The config's own name for a colour space, role or alias, matched as written, then
  // regardless of case; nullopt when the config knows no such name.
  std::optional<std::string> Resolve(std::string_view name) const;
  // Resolve, or a usage error from who ("--working-space") naming the config's nearest names.
  std::string ResolveOrRefuse(std::string_view name, const std::string& who) const;
  // Up to count of the config's names (spaces and roles) closest in spelling to name.
  std::vector<std::string> Nearest(std::string_view name, std::size_t count) const;

  // The conversion between two resolved spaces; null when it changes nothing. Built once per
  // pair and shared: callers on any thread may use it at once. Throws CliError when the config
  // cannot make it. A loaded config's conversions are OpenColorIO's own, never OpenImageIO's
  // built-in stand-ins for names such as "sRGB" or "linear", which it would quietly take when
  // a file the config names is missing.
  std::shared_ptr<const OIIO::ColorProcessor> Converter(const std::string& from,
                                                        const std::string& to) const;

  // How the output is delivered beyond a plain space: a display's view (both resolved, or
  // empty) and looks (OpenColorIO's look syntax, "grade, +film", names resolved).
  struct Delivery {
    std::string display, view, looks;
    bool empty() const { return display.empty() && looks.empty(); }
  };
  // Resolves --display/--view/--look as the config spells them, refusing (usage) an unknown
  // name with the nearest ones and a config that has none (the built-in set).
  // Each name is given with who asked for it ("--view", "look.json: view").
  using Asked = std::optional<std::pair<std::string, std::string>>;
  Delivery ResolveDelivery(const Asked& display, const Asked& view, const Asked& looks) const;
  // The space a delivered picture is in: the view's colour space, else to.
  std::string DeliveredSpace(const Delivery& delivery, const std::string& to) const;
  // from through the looks (in from, processed in each look's own space), then to to or
  // through the display's view. Built once and shared, as Converter.
  std::shared_ptr<const OIIO::ColorProcessor> Deliverer(const std::string& from,
                                                        const std::string& to,
                                                        const Delivery& delivery) const;
  // For looking only: from's values scaled by 2^stops in linear light (the scene_linear role,
  // when the config has one) and shown through a display's view (both resolved). Built per
  // call (the exposure varies freely); throws CliError when the config cannot make it.
  std::shared_ptr<const OIIO::ColorProcessor> Viewer(const std::string& from,
                                                     const Delivery& delivery, double stops) const;

 private:
  ColourConfig() = default;

  // A file the config names: as written, and where OpenColorIO finds it (empty when nowhere).
  struct NamedFile {
    std::string source;
    std::string resolved;
  };
  // Refuses (CliError, usage) a config naming a file that is not a regular one of at most
  // kMaxTransformFileBytes; notes the files for ConversionFailure.
  void CheckNamedFiles(const OCIO_NAMESPACE::Config& parsed, const std::string& who);
  // Why a conversion failed, in words of ours when OpenColorIO's name one of those files.
  std::string ConversionFailure(const std::string& reason) const;

  std::unique_ptr<OIIO::ColorConfig> config_;
  OCIO_NAMESPACE::ConstConfigRcPtr ocio_;  // the loaded file; null for the built-in set
  std::string description_;
  std::vector<NamedFile> files_;
  mutable std::mutex mutex_;
  mutable std::map<std::pair<std::string, std::string>, std::shared_ptr<const OIIO::ColorProcessor>>
      converters_;
  mutable std::map<std::string, std::shared_ptr<const OIIO::ColorProcessor>> deliverers_;
};

// The config's spaces (family, aliases, linear or data), roles, displays with their views, and
// looks, as `velmora info --colorspaces` prints them.
void PrintColourSpaces(const ColourConfig& config, std::ostream& out);

// The config a render would use, in one line for `velmora info`; why, when it does not load.
void PrintColourSummary(const std::optional<std::filesystem::path>& path, std::ostream& out);

}  // namespace cli
