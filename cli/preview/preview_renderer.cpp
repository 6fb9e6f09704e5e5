#include "cli/preview/preview_renderer.h"

#include <chrono>
#include <nlohmann/json.hpp>

#include "cli/colour/colour_plan.h"
#include "cli/image/frame_memory.h"
#include "cli/info/info_command.h"
#include "cli/preview/preset_text.h"
#include "cli/report/cli_error.h"
#include "cli/report/test_pause.h"

namespace cli::preview {
namespace {

PngChoice PngAlpha(bool alpha) {
  PngChoice choice;
  choice.alpha = alpha;
  return choice;
}

}  // namespace

PreviewRenderer::PreviewRenderer(const PreviewSource& source)
    : name_(source.file.string()),
      max_memory_(source.max_memory),
      session_(velmora::engine::LocateEffectModule(source.plugin)) {
  colour_ = source.colour;
  controls_json_ = InfoJson(session_.module_path(), session_.host().params());
  const GlowControls start = ParseControls(source.start, session_.declared());
  const ReadOptions options{hostsim::Depth::k32,
                            "",
                            max_memory_,
                            false,
                            start.EdgePad(),
                            ParseCompOptions(source.start).threshold > 0.0,
                            nullptr};
  frame_ = ReadImage(source.file, options, session_.host().worlds());
  const FileRect& rect = frame_.source.layer_rect;
  source_png_ = EncodePng(*frame_.world, rect.x, rect.y, frame_.source,
                          PngAlpha(frame_.source.layer.has_alpha()));
  if (colour_) {
    const OIIO::ImageSpec& spec = frame_.source.layer_spec();
    const FileColour file{spec.get_string_attribute("oiio:ColorSpace"),
                          frame_.source.linear ? FileColour::kSceneLinear : FileColour::kSrgb};
    frame_space_ = ConventionalSpace(*colour_, file);
  }
}

PreviewRenderer::ViewChoice PreviewRenderer::View(const Viewing& viewing) const {
  if (!viewing.view) {
    if (viewing.exposure != 0) {
      throw CliError("exposure", "is shown through a view (view=DISPLAY/VIEW)", kExitUsage);
    }
    return {};
  }
  if (!colour_) {
    throw CliError("view", "views come from a colour config (--ocio or $OCIO)", kExitUsage);
  }
  const ColourConfig::Delivery delivery = colour_->ResolveDelivery(
      std::make_pair(viewing.view->first, std::string("view")),
      std::make_pair(viewing.view->second, std::string("view")), std::nullopt);
  if (!frame_space_) {
    throw CliError("view",
                   name_ + ": the frame's colour is not a space of " + colour_->description(),
                   kExitUsage);
  }
  ViewChoice choice;
  choice.processor = colour_->Viewer(*frame_space_, delivery, viewing.exposure);
  choice.tag = colour_->PngTag(colour_->DeliveredSpace(delivery, *frame_space_));
  return choice;
}

std::string PreviewRenderer::SourcePng(const Viewing& viewing) {
  const ViewChoice view = View(viewing);
  if (!view.processor) return source_png_;
  // The frame is the render's input: read while no render runs.
  std::lock_guard lock(mutex_);
  const FileRect& rect = frame_.source.layer_rect;
  PngChoice choice = PngAlpha(frame_.source.layer.has_alpha());
  choice.view = view.processor;
  choice.tag = view.tag;
  return EncodePng(*frame_.world, rect.x, rect.y, frame_.source, choice);
}

std::string PreviewRenderer::ViewsJson() const {
  nlohmann::json json;
  json["config"] = colour_ ? colour_->description() : "";
  json["displays"] = nlohmann::json::array();
  if (colour_ && frame_space_) {
    for (const std::string& display : colour_->displays()) {
      json["displays"].push_back({{"name", display}, {"views", colour_->views(display)}});
    }
  }
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string PreviewRenderer::ResolveView(const ColourConfig::Asked& display,
                                         const ColourConfig::Asked& view) const {
  const std::string& who = (display ? display : view)->second;
  if (!colour_) {
    throw CliError(who, "views come from a colour config (--ocio or $OCIO)", kExitUsage);
  }
  const ColourConfig::Delivery delivery = colour_->ResolveDelivery(display, view, std::nullopt);
  if (!frame_space_) {
    throw CliError(who,
                   name_ + ": the frame's colour is not a space of " + colour_->description() +
                       ", so the page shows it through no view",
                   kExitUsage);
  }
  // Made now, so a view the config cannot make stops the start instead of every frame.
  colour_->Viewer(*frame_space_, delivery, 0);
  return delivery.display + "/" + delivery.view;
}

GlowControls PreviewRenderer::Checked(const ControlSettings& settings) {
  const GlowControls controls = ParseControls(settings, session_.declared());
  const bool keyed = ParseCompOptions(settings).threshold > 0.0;
  try {
    CheckFrameMemory(name_, frame_.source, frame_.world->depth, controls.EdgePad(), false, keyed,
                     max_memory_);
  } catch (const CliError& refusal) {
    // The frame is there; it is these settings that ask too much.
    throw CliError("", refusal.what(), kExitUsage);
  }
  return controls;
}

RenderedFrame PreviewRenderer::Render(const ControlSettings& controls, int downsample,
                                      const Viewing& viewing) {
  // Refused before it takes a newer render's place.
  const ViewChoice view = View(viewing);
  const std::uint64_t ticket = ++latest_;
  // Whatever renders now is stale. The request is made before the lock is taken and cleared
  // only under it, before the check below: a newer request either is seen there or interrupts
  // the render that follows.
  session_.Interrupt();
  std::lock_guard lock(mutex_);
  session_.ClearInterruption();
  if (stopped_ || latest_ != ticket) throw Superseded{};

  const GlowControls glow = Checked(controls);
  const velmora::engine::CompOptions comp = ParseCompOptions(controls);
  session_.SetControls(glow);
  // A test that needs a render overtaken in flight holds the first one until a newer request
  // interrupts it.
  PauseFirstIfAsked("preview-render",
                    [this] { return session_.host().interruption() != PF_Err_NONE; });
  const auto started = std::chrono::steady_clock::now();
  OwnedWorld result;
  try {
    result = velmora::engine::RenderComposited(session_, *frame_.world, glow, comp, 0, name_,
                                               static_cast<A_u_long>(downsample));
  } catch (const CliError&) {
    if (stopped_ || latest_ != ticket) throw Superseded{};
    throw;
  }
  RenderedFrame rendered;
  rendered.milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  rendered.stats = MeasureFrame(*result);
  const FileRect& rect = frame_.source.layer_rect;
  PngChoice choice;
  // As the command writes the frame: unmultiply makes an alpha worth keeping, a tint makes
  // a grey layer colour.
  choice.alpha = frame_.source.layer.has_alpha() || glow.unmultiply || comp.glow_pass;
  choice.keep_grey = !glow.tint;
  choice.downsample = downsample;
  choice.view = view.processor;
  choice.tag = view.tag;
  rendered.png =
      EncodePng(*result, rect.x / downsample + result->effect_world.origin_x,
                rect.y / downsample + result->effect_world.origin_y, frame_.source, choice);
  rendered.width = result->width();
  rendered.height = result->height();
  return rendered;
}

std::string PreviewRenderer::Preset(const ControlSettings& controls) {
  std::lock_guard lock(mutex_);
  return PresetToml(controls, Checked(controls));
}

void PreviewRenderer::Stop() {
  stopped_ = true;
  session_.Interrupt();
}

}  // namespace cli::preview
