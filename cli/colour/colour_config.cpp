#include "cli/colour/colour_config.h"

#include <OpenColorIO/OpenColorIO.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>

#include "cli/report/cli_error.h"
#include "cli/report/nearest.h"

namespace cli {
namespace {

namespace OCIO = OCIO_NAMESPACE;

// A path in a message, whole (Quoted would shorten it) and on one line.
std::string PathWords(const std::string& path) {
  std::string words = "'";
  words += OneLine(path);
  words += '\'';
  return words;
}

std::string Megabytes(std::uintmax_t bytes) {
  return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

// Refuses a file that is not a regular one of at most limit bytes, following links as any
// reader would; says where a link leads. Only metadata is looked at: nothing is opened.
void CheckBoundedFile(const std::string& path, std::uintmax_t limit, const std::string& subject,
                      const std::string& what) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    throw CliError(subject, what + "cannot be reached: " + std::strerror(errno), kExitUsage);
  }
  std::string link;
  struct stat own {};
  if (lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode)) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (!error) link = "a link to " + PathWords(target.string()) + ", ";
  }
  if (!S_ISREG(info.st_mode)) {
    throw CliError(subject, what + link + KindOf(info.st_mode) + ": only regular files are read",
                   kExitUsage);
  }
  const auto size = static_cast<std::uintmax_t>(info.st_size);
  if (size > limit) {
    throw CliError(subject,
                   what + link + Megabytes(size) + ", more than the " + Megabytes(limit) +
                       " read from such a file",
                   kExitUsage);
  }
}

// The files a transform reads: a FileTransform's, and those of every step of a group.
void CollectFiles(const OCIO::ConstTransformRcPtr& transform, std::set<std::string>& sources) {
  if (!transform) return;
  if (const auto file = OCIO::DynamicPtrCast<const OCIO::FileTransform>(transform)) {
    if (file->getSrc() && *file->getSrc()) sources.insert(file->getSrc());
  } else if (const auto group = OCIO::DynamicPtrCast<const OCIO::GroupTransform>(transform)) {
    for (int i = 0; i < group->getNumTransforms(); ++i) {
      CollectFiles(group->getTransform(i), sources);
    }
  }
}

// Every file any conversion through the config could read, as the config writes it: the
// transforms of every colour space (inactive ones too), look, view transform and named
// transform, both ways. Displays and views only name these.
std::set<std::string> NamedFiles(const OCIO::Config& config) {
  std::set<std::string> sources;
  const auto add = [&](const OCIO::ConstTransformRcPtr& transform) {
    CollectFiles(transform, sources);
  };
  const auto search = OCIO::SEARCH_REFERENCE_SPACE_ALL;
  for (int i = 0; i < config.getNumColorSpaces(search, OCIO::COLORSPACE_ALL); ++i) {
    const auto space =
        config.getColorSpace(config.getColorSpaceNameByIndex(search, OCIO::COLORSPACE_ALL, i));
    if (!space) continue;
    add(space->getTransform(OCIO::COLORSPACE_DIR_TO_REFERENCE));
    add(space->getTransform(OCIO::COLORSPACE_DIR_FROM_REFERENCE));
  }
  for (int i = 0; i < config.getNumLooks(); ++i) {
    const auto look = config.getLook(config.getLookNameByIndex(i));
    if (!look) continue;
    add(look->getTransform());
    add(look->getInverseTransform());
  }
  for (int i = 0; i < config.getNumViewTransforms(); ++i) {
    const auto view = config.getViewTransform(config.getViewTransformNameByIndex(i));
    if (!view) continue;
    add(view->getTransform(OCIO::VIEWTRANSFORM_DIR_TO_REFERENCE));
    add(view->getTransform(OCIO::VIEWTRANSFORM_DIR_FROM_REFERENCE));
  }
  for (int i = 0; i < config.getNumNamedTransforms(OCIO::NAMEDTRANSFORM_ALL); ++i) {
    const auto named =
        config.getNamedTransform(config.getNamedTransformNameByIndex(OCIO::NAMEDTRANSFORM_ALL, i));
    if (!named) continue;
    add(named->getTransform(OCIO::TRANSFORM_DIR_FORWARD));
    add(named->getTransform(OCIO::TRANSFORM_DIR_INVERSE));
  }
  return sources;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// The roles OpenColorIO names; the built-in set lists none of them but answers to some.
constexpr const char* kStandardRoles[] = {
    "default",       "reference",        "data",
    "scene_linear",  "compositing_log",  "color_timing",
    "color_picking", "texture_paint",    "matte_paint",
    "rendering",     "aces_interchange", "cie_xyz_d65_interchange"};

std::string Text(const char* text) {
  return text ? text : "";
}

// OpenImageIO's message about a config, without its repeated preamble.
std::string LoadFailure(std::string message) {
  const std::string preamble = "Error reading OCIO config ";
  if (message.rfind(preamble, 0) == 0) {
    const std::size_t colon = message.find("\": ");
    if (colon != std::string::npos) message.erase(0, colon + 3);
  }
  return message.empty() ? "not a colour configuration" : message;
}

// One of OpenColorIO's processors as the OpenImageIO kind the pixel code applies: the same
// packed-float call OpenImageIO makes for its own.
class OcioConversion final : public OIIO::ColorProcessor {
 public:
  explicit OcioConversion(OCIO::ConstCPUProcessorRcPtr cpu) : cpu_(std::move(cpu)) {}
  bool isNoOp() const override { return cpu_->isNoOp(); }
  bool hasChannelCrosstalk() const override { return cpu_->hasChannelCrosstalk(); }
  void apply(float* data, int width, int height, int channels, OIIO::stride_t chanstride,
             OIIO::stride_t xstride, OIIO::stride_t ystride) const override {
    OCIO::PackedImageDesc image(data, width, height, channels, OCIO::BIT_DEPTH_F32, chanstride,
                                xstride, ystride);
    cpu_->apply(image);
  }

 private:
  OCIO::ConstCPUProcessorRcPtr cpu_;
};

// Roles whose space is linear light by OpenColorIO's definition of them.
constexpr const char* kLinearRoles[] = {"scene_linear", "rendering", "compositing_linear",
                                        "aces_interchange", "cie_xyz_d65_interchange"};

std::string Padded(const std::string& text, std::size_t width) {
  return text + std::string(text.size() < width ? width - text.size() : 1, ' ');
}

}  // namespace

std::shared_ptr<const ColourConfig> ColourConfig::Load(
    const std::optional<std::filesystem::path>& path) {
  std::shared_ptr<ColourConfig> config(new ColourConfig);
  const char* variable = std::getenv("OCIO");
  std::string file;
  std::string who;
  if (path) {
    file = path->string();
    who = "--ocio";
  } else if (variable && *variable) {
    file = variable;
    who = "$OCIO";
  }
  if (!file.empty()) {
    // OpenImageIO falls back to its built-in set when a file fails; a pipeline's config must
    // not be swapped for another without a word.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
      throw CliError(who, Quoted(file) + " is no colour configuration file", kExitUsage);
    }
    CheckBoundedFile(file, kMaxColourConfigBytes, who, PathWords(file) + " is ");
    try {
      config->ocio_ = OCIO::Config::CreateFromFile(file.c_str());
    } catch (const OCIO::Exception&) {
      // OpenImageIO's load below says why, in the words the user knows.
    }
    if (config->ocio_) config->CheckNamedFiles(*config->ocio_, who);
    config->config_ = std::make_unique<OIIO::ColorConfig>(file);
    if (config->config_->has_error() || !config->ocio_) {
      throw CliError(who, Quoted(file) + ": " + LoadFailure(config->config_->geterror()),
                     kExitUsage);
    }
    config->description_ = file + " (from " + who + ")";
  } else {
    config->config_ = std::make_unique<OIIO::ColorConfig>(std::string());
    config->config_->geterror();  // "no config file" is what the built-in set means
    config->description_ = "OpenImageIO's built-in set ($OCIO is not set)";
  }
  return config;
}

void ColourConfig::CheckNamedFiles(const OCIO::Config& parsed, const std::string& who) {
  const OCIO::ConstContextRcPtr context = parsed.getCurrentContext();
  for (const std::string& source : NamedFiles(parsed)) {
    // Where OpenColorIO itself looks: the search path, context variables, the config's folder.
    std::string resolved;
    try {
      resolved = context->resolveFileLocation(source.c_str());
    } catch (const OCIO::Exception&) {
      // Not found: nothing to read; a conversion that needs it fails naming it.
    }
    if (!resolved.empty()) {
      CheckBoundedFile(resolved, kMaxTransformFileBytes, resolved,
                       "named by the colour config (" + who + "), but ");
    }
    files_.push_back({source, resolved});
  }
}

std::string ColourConfig::ConversionFailure(const std::string& reason) const {
  for (const NamedFile& named : files_) {
    if (!named.resolved.empty() && reason.find(named.resolved) != std::string::npos) {
      return PathWords(named.resolved) + " is no transform file OpenColorIO reads";
    }
  }
  for (const NamedFile& named : files_) {
    if (reason.find(named.source) != std::string::npos) {
      return named.resolved.empty()
                 ? "the config's file " + PathWords(named.source) + " is not in its search path"
                 : PathWords(named.resolved) + " is no transform file OpenColorIO reads";
    }
  }
  return reason;
}

std::vector<std::pair<std::string, std::string>> ColourConfig::roles() const {
  std::vector<std::pair<std::string, std::string>> found;
  std::vector<std::string> names = config_->getRoles();
  if (names.empty()) names.assign(std::begin(kStandardRoles), std::end(kStandardRoles));
  for (const std::string& role : names) {
    const std::string space = Text(config_->getColorSpaceNameByRole(role));
    if (!space.empty()) found.emplace_back(role, space);
  }
  return found;
}

std::string ColourConfig::family(const std::string& space) const {
  return Text(config_->getColorSpaceFamilyByName(space));
}

std::vector<std::string> ColourConfig::aliases(const std::string& space) const {
  return config_->getAliases(space);
}

ColourConfig::Nature ColourConfig::nature(const std::string& space) const {
  Nature nature;
  const OCIO::ConstColorSpaceRcPtr found = ocio_ ? ocio_->getColorSpace(space.c_str()) : nullptr;
  if (!found) {
    nature.linear = config_->isColorSpaceLinear(space);
    if (nature.linear) nature.why = "by its name";
    return nature;
  }
  if (found->isData()) {
    nature.data = true;
    nature.why = "isdata";
    return nature;
  }
  const std::string encoding = Text(found->getEncoding());
  if (!encoding.empty()) {
    nature.data = encoding == "data";
    nature.linear = encoding == "scene-linear" || encoding == "display-linear";
    nature.why = "encoding " + encoding;
    return nature;
  }
  for (int i = 0; i < ocio_->getNumRoles(); ++i) {
    const std::string role = Text(ocio_->getRoleName(i));
    if (Text(ocio_->getRoleColorSpace(i)) != found->getName()) continue;
    if (std::find(std::begin(kLinearRoles), std::end(kLinearRoles), role) !=
        std::end(kLinearRoles)) {
      nature.linear = true;
      nature.why = "role " + role;
      return nature;
    }
    if (role == "data") {
      nature.data = true;
      nature.why = "role data";
      return nature;
    }
  }
  const std::string family = Text(found->getFamily());
  if (Lower(family).find("linear") != std::string::npos) {
    nature.linear = true;
    nature.why = "family " + family;
    return nature;
  }
  nature.linear = config_->isColorSpaceLinear(space);
  if (nature.linear) nature.why = "by its name";
  return nature;
}

std::string ColourConfig::PngTag(const std::string& space) const {
  if (Lower(space) == "srgb") return "sRGB";
  const Nature what = nature(space);
  if (what.linear) return "Linear";
  if (!ocio_ || what.data) return space;
  if (!ocio_->hasRole(OCIO::ROLE_SCENE_LINEAR)) return space;
  try {
    const auto decode =
        ocio_->getProcessor(space.c_str(), OCIO::ROLE_SCENE_LINEAR)->getDefaultCPUProcessor();
    // Greys along sRGB's curve, within a fraction of an 8-bit level, mean an sRGB encoding;
    // a space whose primaries differ from the linear role's still keeps greys grey.
    for (int step = 1; step <= 16; ++step) {
      const float code = static_cast<float>(step) / 16.0f;
      float grey[3] = {code, code, code};
      decode->applyRGB(grey);
      const float expected =
          code <= 0.04045f ? code / 12.92f : std::pow((code + 0.055f) / 1.055f, 2.4f);
      if (std::abs(grey[0] - expected) > 1e-3f * std::max(expected, 0.05f)) return space;
    }
  } catch (const OCIO::Exception&) {
    return space;  // the conversion itself fails, and says so, when the pixels need it
  }
  return "sRGB";
}

std::optional<std::string> ColourConfig::Resolve(std::string_view name) const {
  if (name.empty()) return std::nullopt;
  const std::vector<std::string> names = spaces();
  for (const std::string& space : names) {
    if (space == name) return space;
  }
  // Roles (and, in OpenColorIO's configs, aliases and names in any case).
  const std::string by_role = Text(config_->getColorSpaceNameByRole(name));
  if (!by_role.empty()) return by_role;
  const std::string lower = Lower(name);
  for (const std::string& space : names) {
    if (Lower(space) == lower) return space;
    for (const std::string& alias : aliases(space)) {
      if (Lower(alias) == lower) return space;
    }
  }
  return std::nullopt;
}

std::vector<std::string> ColourConfig::Nearest(std::string_view name, std::size_t count) const {
  std::vector<std::string> candidates = spaces();
  for (const auto& [role, space] : roles()) candidates.push_back(role);
  for (const std::string& space : spaces()) {
    for (const std::string& alias : aliases(space)) candidates.push_back(alias);
  }
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  return cli::Nearest(name, std::move(candidates), count);
}

std::string ColourConfig::ResolveOrRefuse(std::string_view name, const std::string& who) const {
  if (const auto resolved = Resolve(name)) return *resolved;
  std::string nearest;
  for (const std::string& candidate : Nearest(name, 3)) {
    nearest += (nearest.empty() ? "" : ", ") + candidate;
  }
  throw CliError(who,
                 "no colour space or role " + Quoted(std::string(name)) + " in " + description_ +
                     (nearest.empty() ? "" : "; nearest: " + nearest) +
                     " (velmora info --colorspaces lists them)",
                 kExitUsage);
}

std::shared_ptr<const OIIO::ColorProcessor> ColourConfig::Converter(const std::string& from,
                                                                    const std::string& to) const {
  if (from == to) return nullptr;
  std::lock_guard lock(mutex_);
  const auto key = std::make_pair(from, to);
  if (const auto found = converters_.find(key); found != converters_.end()) return found->second;
  std::shared_ptr<const OIIO::ColorProcessor> made;
  if (ocio_) {
    try {
      made = std::make_shared<OcioConversion>(
          ocio_->getProcessor(from.c_str(), to.c_str())->getDefaultCPUProcessor());
    } catch (const OCIO::Exception& error) {
      const std::string reason = ConversionFailure(error.what());
      throw CliError("colour", "cannot convert " + Quoted(from) + " to " + Quoted(to) +
                                   (reason.empty() ? "" : ": " + reason));
    }
  } else {
    made = config_->createColorProcessor(from, to);
  }
  if (!made) {
    // OpenColorIO's reasons about a file may quote it: a file of someone else's, named by the
    // config, is told by name only.
    const std::string reason = ConversionFailure(config_->geterror());
    throw CliError("colour", "cannot convert " + Quoted(from) + " to " + Quoted(to) +
                                 (reason.empty() ? "" : ": " + reason));
  }
  std::shared_ptr<const OIIO::ColorProcessor> converter;
  if (!made->isNoOp()) converter = std::move(made);
  converters_.emplace(key, converter);
  return converter;
}

namespace {

std::string Joined(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
  return joined;
}

}  // namespace

std::vector<std::string> ColourConfig::displays() const {
  std::vector<std::string> names;
  if (!ocio_) return names;
  for (int i = 0; i < ocio_->getNumDisplays(); ++i) names.push_back(Text(ocio_->getDisplay(i)));
  return names;
}

std::vector<std::string> ColourConfig::views(const std::string& display) const {
  std::vector<std::string> names;
  if (!ocio_) return names;
  for (int i = 0; i < ocio_->getNumViews(display.c_str()); ++i) {
    names.push_back(Text(ocio_->getView(display.c_str(), i)));
  }
  return names;
}

std::vector<std::pair<std::string, std::string>> ColourConfig::looks() const {
  std::vector<std::pair<std::string, std::string>> found;
  if (!ocio_) return found;
  for (int i = 0; i < ocio_->getNumLooks(); ++i) {
    const std::string name = Text(ocio_->getLookNameByIndex(i));
    const auto look = ocio_->getLook(name.c_str());
    found.emplace_back(name, look ? Text(look->getProcessSpace()) : "");
  }
  return found;
}

ColourConfig::Delivery ColourConfig::ResolveDelivery(const Asked& display, const Asked& view,
                                                     const Asked& looks) const {
  Delivery delivery;
  if (!display && !view && !looks) return delivery;
  if (!ocio_) {
    const std::string& who = (display ? display : view ? view : looks)->second;
    throw CliError(who,
                   "displays, views and looks come from a colour config (--ocio or $OCIO); " +
                       description_ + " has none",
                   kExitUsage);
  }
  const auto pick = [&](const std::string& name, const std::vector<std::string>& names,
                        const std::string& what, const std::string& who) {
    for (const std::string& known : names) {
      if (known == name) return known;
    }
    for (const std::string& known : names) {
      if (Lower(known) == Lower(name)) return known;
    }
    const std::string nearest = Joined(cli::Nearest(name, names, 3));
    throw CliError(who,
                   "no " + what + " " + Quoted(name) + " in " + description_ +
                       (nearest.empty() ? "" : "; nearest: " + nearest) +
                       " (velmora info --colorspaces lists them)",
                   kExitUsage);
  };
  if (display || view) {
    delivery.display = display ? pick(display->first, displays(), "display", display->second)
                               : Text(ocio_->getDefaultDisplay());
    delivery.view = view ? pick(view->first, views(delivery.display),
                                "view of display " + Quoted(delivery.display), view->second)
                         : Text(ocio_->getDefaultView(delivery.display.c_str()));
  }
  if (looks) {
    // OpenColorIO's look syntax: names separated by commas, each may be + (forward, the
    // default) or - (inverse).
    std::vector<std::string> names;
    for (const auto& [name, space] : this->looks()) names.push_back(name);
    std::string text = looks->first + ",";
    for (std::size_t start = 0, comma; (comma = text.find(',', start)) != std::string::npos;
         start = comma + 1) {
      std::string item = text.substr(start, comma - start);
      item.erase(0, item.find_first_not_of(" \t"));
      item.erase(item.find_last_not_of(" \t") + 1);
      if (item.empty()) continue;
      std::string sign;
      if (item[0] == '+' || item[0] == '-') {
        sign = item.substr(0, 1);
        item.erase(0, 1);
      }
      const std::string name = pick(item, names, "look", looks->second);
      delivery.looks += (delivery.looks.empty() ? "" : ", ") + sign + name;
    }
    if (delivery.looks.empty()) {
      throw CliError(looks->second, "names no look", kExitUsage);
    }
  }
  return delivery;
}

std::string ColourConfig::DeliveredSpace(const Delivery& delivery, const std::string& to) const {
  if (delivery.display.empty() || !ocio_) return to;
  const std::string space =
      Text(ocio_->getDisplayViewColorSpaceName(delivery.display.c_str(), delivery.view.c_str()));
  if (space.empty() || space == "<USE_DISPLAY_NAME>") return delivery.display;
  return space;
}

std::shared_ptr<const OIIO::ColorProcessor> ColourConfig::Deliverer(
    const std::string& from, const std::string& to, const Delivery& delivery) const {
  if (delivery.empty()) return Converter(from, to);
  const std::string key =
      from + '\n' + to + '\n' + delivery.display + '\n' + delivery.view + '\n' + delivery.looks;
  std::lock_guard lock(mutex_);
  if (const auto found = deliverers_.find(key); found != deliverers_.end()) return found->second;
  std::shared_ptr<const OIIO::ColorProcessor> made;
  try {
    const OCIO::GroupTransformRcPtr group = OCIO::GroupTransform::Create();
    if (!delivery.looks.empty()) {
      const OCIO::LookTransformRcPtr look = OCIO::LookTransform::Create();
      look->setSrc(from.c_str());
      look->setDst(from.c_str());
      look->setLooks(delivery.looks.c_str());
      group->appendTransform(look);
    }
    if (!delivery.display.empty()) {
      const OCIO::DisplayViewTransformRcPtr view = OCIO::DisplayViewTransform::Create();
      view->setSrc(from.c_str());
      view->setDisplay(delivery.display.c_str());
      view->setView(delivery.view.c_str());
      group->appendTransform(view);
    } else {
      const OCIO::ColorSpaceTransformRcPtr space = OCIO::ColorSpaceTransform::Create();
      space->setSrc(from.c_str());
      space->setDst(to.c_str());
      group->appendTransform(space);
    }
    made = std::make_shared<OcioConversion>(ocio_->getProcessor(group)->getDefaultCPUProcessor());
  } catch (const OCIO::Exception& error) {
    const std::string reason = ConversionFailure(error.what());
    const std::string through = delivery.display.empty() ? Quoted(to)
                                                         : "display " + Quoted(delivery.display) +
                                                               ", view " + Quoted(delivery.view);
    throw CliError("colour", "cannot deliver " + Quoted(from) + " through " +
                                 (delivery.looks.empty() ? "" : "look " + delivery.looks + " to ") +
                                 through + (reason.empty() ? "" : ": " + reason));
  }
  deliverers_.emplace(key, made);
  return made;
}

std::shared_ptr<const OIIO::ColorProcessor> ColourConfig::Viewer(const std::string& from,
                                                                 const Delivery& delivery,
                                                                 double stops) const {
  if (!ocio_ || delivery.display.empty()) {
    throw CliError(
        "view", "views come from a colour config (--ocio or $OCIO); " + description_ + " has none",
        kExitUsage);
  }
  try {
    const OCIO::GroupTransformRcPtr group = OCIO::GroupTransform::Create();
    std::string source = from;
    if (stops != 0) {
      // Exposure is a scale of light: done in the scene-linear role when the frame's space has
      // a curve.
      if (ocio_->hasRole(OCIO::ROLE_SCENE_LINEAR)) {
        const OCIO::ColorSpaceTransformRcPtr linear = OCIO::ColorSpaceTransform::Create();
        linear->setSrc(from.c_str());
        linear->setDst(OCIO::ROLE_SCENE_LINEAR);
        group->appendTransform(linear);
        source = OCIO::ROLE_SCENE_LINEAR;
      }
      const double gain = std::exp2(stops);
      const double m44[16] = {gain, 0, 0, 0, 0, gain, 0, 0, 0, 0, gain, 0, 0, 0, 0, 1};
      const OCIO::MatrixTransformRcPtr scale = OCIO::MatrixTransform::Create();
      scale->setMatrix(m44);
      group->appendTransform(scale);
    }
    const OCIO::DisplayViewTransformRcPtr view = OCIO::DisplayViewTransform::Create();
    view->setSrc(source.c_str());
    view->setDisplay(delivery.display.c_str());
    view->setView(delivery.view.c_str());
    group->appendTransform(view);
    return std::make_shared<OcioConversion>(ocio_->getProcessor(group)->getDefaultCPUProcessor());
  } catch (const OCIO::Exception& error) {
    const std::string reason = ConversionFailure(error.what());
    throw CliError("view", "cannot show " + Quoted(from) + " through display " +
                               Quoted(delivery.display) + ", view " + Quoted(delivery.view) +
                               (reason.empty() ? "" : ": " + reason));
  }
}

void PrintColourSpaces(const ColourConfig& config, std::ostream& out) {
  out << "Colour config: " << config.description() << "\n\nColour spaces:\n";
  const std::vector<std::string> spaces = config.spaces();
  std::size_t name_width = 0;
  std::size_t family_width = 0;
  for (const std::string& space : spaces) {
    name_width = std::max(name_width, space.size() + 2);
    family_width = std::max(family_width, config.family(space).size() + 2);
  }
  for (const std::string& space : spaces) {
    const ColourConfig::Nature nature = config.nature(space);
    std::string notes = nature.linear ? "linear" : nature.data ? "data" : "";
    if (!nature.why.empty() && nature.why != "isdata") {
      notes = notes.empty() ? nature.why : notes + " (" + nature.why + ")";
    }
    const std::vector<std::string> aliases = config.aliases(space);
    for (std::size_t i = 0; i < aliases.size(); ++i) {
      notes += (i == 0 ? (notes.empty() ? "aliases: " : "; aliases: ") : ", ") + aliases[i];
    }
    std::string line =
        "  " + Padded(space, name_width) + Padded(config.family(space), family_width);
    line += notes;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << "\n";
  }
  const auto roles = config.roles();
  out << "\nRoles:\n";
  std::size_t role_width = 0;
  for (const auto& [role, space] : roles) role_width = std::max(role_width, role.size() + 2);
  for (const auto& [role, space] : roles) out << "  " << Padded(role, role_width) << space << "\n";
  const std::vector<std::string> displays = config.displays();
  if (!displays.empty()) {
    out << "\nDisplays and their views (--display, --view; the first is the default):\n";
    for (const std::string& display : displays) {
      out << "  " << display << ": " << Joined(config.views(display)) << "\n";
    }
  }
  const auto looks = config.looks();
  if (!looks.empty()) {
    out << "\nLooks (--look):\n";
    std::size_t look_width = 0;
    for (const auto& [look, space] : looks) look_width = std::max(look_width, look.size() + 2);
    for (const auto& [look, space] : looks) {
      out << "  " << Padded(look, look_width) << "processed in " << space << "\n";
    }
  }
}

void PrintColourSummary(const std::optional<std::filesystem::path>& path, std::ostream& out) {
  out << "\nColour config: ";
  try {
    const auto config = ColourConfig::Load(path);
    out << config->description() << ", " << config->spaces().size()
        << " colour spaces (velmora info --colorspaces lists them)\n";
  } catch (const CliError& error) {
    out << OneLine(error.what()) << "\n";
  }
}

}  // namespace cli
