#include "cli/colour/colour_plan.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "cli/report/cli_error.h"
#include "cli/report/warnings.h"

namespace cli {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Whether the file holds Cineon's printing-density log code values.
// The names a format's convention goes by in common configs, most specific first.
std::vector<std::string> ConventionNames(FileColour::Convention convention) {
  switch (convention) {
    case FileColour::kSceneLinear:
      return {"scene_linear", "linear"};
    case FileColour::kCineonLog:
      return {"compositing_log", "cineon", "log"};
    case FileColour::kSrgb:
      break;
  }
  return {"sRGB", "srgb_tx", "sRGB - Texture", "Utility - sRGB - Texture"};
}

const char* ConventionWords(FileColour::Convention convention) {
  switch (convention) {
    case FileColour::kSceneLinear:
      return "scene-linear";
    case FileColour::kCineonLog:
      return "Cineon log";
    case FileColour::kSrgb:
      break;
  }
  return "sRGB";
}

}  // namespace

void TakePresetColour(std::map<std::string, std::string>& preset, const std::string& preset_name,
                      ColourRequest& request) {
  const std::pair<const char*, std::optional<ColourName> ColourRequest::*> keys[] = {
      {"colorspace", &ColourRequest::input},
      {"working-space", &ColourRequest::working},
      {"output-colorspace", &ColourRequest::output},
      {"display", &ColourRequest::display},
      {"view", &ColourRequest::view},
      {"look", &ColourRequest::look}};
  for (const auto& [key, member] : keys) {
    const auto found = preset.find(key);
    if (found == preset.end()) continue;
    std::string shown = key;
    std::replace(shown.begin(), shown.end(), '-', '_');
    if (!(request.*member)) request.*member = ColourName{found->second, preset_name + ": " + shown};
    preset.erase(found);
  }
}

std::shared_ptr<const ColourPlan> ColourPlan::Make(const ColourRequest& request) {
  if (!request.input && !request.working && !request.output && !request.display && !request.view &&
      !request.look) {
    return nullptr;
  }
  auto plan = std::make_shared<ColourPlan>();
  plan->config_ = ColourConfig::Load(request.ocio);
  const auto resolve = [&](const std::optional<ColourName>& given) -> std::optional<std::string> {
    if (!given) return std::nullopt;
    return plan->config_->ResolveOrRefuse(given->name, given->source);
  };
  plan->input_ = resolve(request.input);
  plan->working_ = resolve(request.working);
  plan->output_ = resolve(request.output);
  if (request.working) plan->working_source_ = request.working->source;
  const auto asked = [](const std::optional<ColourName>& given) -> ColourConfig::Asked {
    if (!given) return std::nullopt;
    return std::make_pair(given->name, given->source);
  };
  if ((request.display || request.view) && request.output) {
    throw CliError((request.display ? request.display : request.view)->source,
                   "writes through a display's view instead of " + request.output->source +
                       "; name one of the two",
                   kExitUsage);
  }
  plan->delivery_ = plan->config_->ResolveDelivery(asked(request.display), asked(request.view),
                                                   asked(request.look));
  // Every converter the names alone decide is built now: a config that cannot make one fails
  // the run before the first frame, and the frames share them.
  if (plan->input_) {
    plan->ToWorking(*plan->input_);
    plan->ToOutput(*plan->input_);
  }
  return plan;
}

std::optional<std::string> ConventionalSpace(const ColourConfig& config, const FileColour& file) {
  if (const auto tagged = config.Resolve(file.tag)) return tagged;
  for (const std::string& name : ConventionNames(file.convention)) {
    if (const auto resolved = config.Resolve(name)) return resolved;
  }
  return std::nullopt;
}

std::string ColourPlan::InputSpace(const FileColour& file, const std::string& file_name) const {
  if (input_) return *input_;
  const std::string& tag = file.tag;
  if (const auto tagged = config_->Resolve(tag)) return *tagged;
  for (const std::string& name : ConventionNames(file.convention)) {
    if (const auto resolved = config_->Resolve(name)) {
      // OpenImageIO tags every OpenEXR "Linear": for a config without that name the
      // scene-linear role is what it means, and no word about it is needed.
      const bool generic_linear = Lower(tag) == "linear" && config_->is_linear(*resolved);
      if (!tag.empty() && !generic_linear) {
        WarnOnce("colour tag", file_name + ": tagged " + Quoted(tag) + ", which " +
                                   config_->description() + " does not know; read as " +
                                   Quoted(*resolved) + " (--colorspace NAME says otherwise)");
      }
      return *resolved;
    }
  }
  throw CliError(file_name, std::string("holds ") + ConventionWords(file.convention) +
                                (tag.empty() ? " by its format's convention"
                                             : " (tagged " + Quoted(tag) + ")") +
                                ", a space " + config_->description() +
                                " does not have; --colorspace NAME says which to read it as");
}

std::shared_ptr<const OIIO::ColorProcessor> ColourPlan::ToWorking(const std::string& input) const {
  if (!working_) return nullptr;
  return config_->Converter(input, *working_);
}

std::shared_ptr<const OIIO::ColorProcessor> ColourPlan::ToOutput(const std::string& input) const {
  // Looks grade the glowed picture in the working space (the input's without one), on its way
  // out, as a view applies its own looks to the finished composite.
  return config_->Deliverer(working_.value_or(input), output_.value_or(input), delivery_);
}

std::string ColourPlan::OutputSpace(const std::string& input) const {
  return config_->DeliveredSpace(delivery_, output_.value_or(input));
}

void ColourPlan::WarnAboutSettings(bool gamma, hostsim::Depth depth) const {
  if (!working_) return;
  const ColourConfig::Nature nature = config_->nature(*working_);
  if (!nature.linear) return;
  const std::string space = working_source_ + " " + Quoted(*working_);
  // Shares the key of the warning about --gamma on a linear-tagged file: with a working space
  // that one would describe the file, not what the effect is given. A working space with a
  // curve is what --gamma is for, and is left alone.
  if (gamma) {
    WarnOnce("gamma", "--gamma decodes sRGB inside the effect, but " + space +
                          " is linear light (" + nature.why +
                          "): the source would be decoded twice (--no-gamma glows in " +
                          Quoted(*working_) + " alone)");
  }
  if (depth == hostsim::Depth::k8) {
    WarnOnce("working depth", space + " is linear light (" + nature.why +
                                  "): at --depth 8 dark tones band and values "
                                  "above 1.0 clip (--depth 16, or the default float, keeps them)");
  }
}

}  // namespace cli
