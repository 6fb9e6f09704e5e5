#include "cli/preview/preview_command.h"

#include "cli/colour/colour_plan.h"
#include "cli/controls/preset_file.h"
#include "cli/image/frame_memory.h"
#include "cli/image/image_io.h"
#include "cli/preview/preview_renderer.h"
#include "cli/preview/preview_server.h"
#include "cli/preview/save_target.h"
#include "cli/preview/stop_signals.h"
#include "cli/report/cli_error.h"
#include "cli/report/warnings.h"
#include "cli/sequence/frame_pattern.h"

namespace cli::preview {
namespace {

struct ChosenFrame {
  std::filesystem::path file;
  std::optional<long> number;  // for a sequence
};

// The file of the frame to preview: the input itself, or a frame of its pattern (the one asked
// for, else the first on disk).
ChosenFrame ChooseFrame(const PreviewFlags& flags) {
  const std::optional<FramePattern> pattern = FramePattern::Find(flags.input);
  if (!pattern) {
    if (flags.frame) {
      throw CliError("--frame",
                     flags.input.string() + " is one file, not a sequence (shot.####.exr)",
                     kExitUsage);
    }
    return {flags.input, std::nullopt};
  }
  const long number = flags.frame ? *flags.frame : FindFrames(*pattern).front();
  return {pattern->FramePath(number), number};
}

// Every file the preview reads its frame from: the input, or each frame of its pattern.
std::vector<std::filesystem::path> InputFiles(const PreviewFlags& flags) {
  const std::optional<FramePattern> pattern = FramePattern::Find(flags.input);
  if (!pattern) return {flags.input};
  std::vector<std::filesystem::path> files;
  for (const long number : FindFrames(*pattern)) files.push_back(pattern->FramePath(number));
  return files;
}

}  // namespace

CLI::App* AddPreviewCommand(CLI::App& app, PreviewFlags& flags) {
  CLI::App* preview = app.add_subcommand(
      "preview",
      "Choose the look in a browser: a page on 127.0.0.1 with the frame before and after");
  preview->add_option("input", flags.input, "Input image, or a pattern: shot.####.exr")
      ->required()
      ->type_name("FILE");
  preview->add_option("--port", flags.port, "Port on 127.0.0.1 (default: a free one)")
      ->check(CLI::Range(0, 65535))
      ->option_text("N");
  preview->add_option("--preset", flags.preset, "JSON or TOML file of control values to start from")
      ->type_name("FILE");
  preview->add_option("--frame", flags.frame, "The frame of a sequence (default: the first)")
      ->option_text("F");
  preview
      ->add_option("--save-as", flags.save_as,
                   "Where Save preset writes (default: velmora-preset.toml here)")
      ->type_name("FILE");
  AddMaxMemoryOption(*preview, flags.max_memory);
  return preview;
}

void RunPreview(const PreviewFlags& flags, const std::optional<std::filesystem::path>& plugin,
                const std::optional<std::filesystem::path>& ocio, std::ostream& out) {
  PreviewSource source;
  source.plugin = plugin;
  source.max_memory = MaxMemoryFlag(flags.max_memory);
  const ChosenFrame frame = ChooseFrame(flags);
  source.file = frame.file;
  CheckReadableFile(source.file);
  CheckSaveTarget(flags.save_as, InputFiles(flags));
  ColourRequest colour;
  if (flags.preset) {
    std::map<std::string, std::string> preset = ReadPresetFile(*flags.preset);
    // The page shows the file's own values; a look made in another colour space would differ
    // from what it shows, so such a preset is for velmora render alone.
    TakePresetColour(preset, flags.preset->string(), colour);
    if (const auto& named = colour.working ? colour.working
                            : colour.input ? colour.input
                                           : colour.output) {
      throw CliError(named->source, "colour spaces are taken by velmora render, not by preview",
                     kExitUsage);
    }
    // The page shows a display's view, without looks.
    if (colour.look) {
      throw CliError(colour.look->source,
                     "looks are taken by velmora render; preview shows views without them",
                     kExitUsage);
    }
    MergePreset(source.start, preset, flags.preset->string());
  }
  const bool preset_view = colour.display || colour.view;

  // Views are for looking only: a config named by --ocio must load, as for a render; one
  // $OCIO names and cannot be loaded only leaves the page without views, since nothing is
  // rendered through it (unless the preset names a view to start with).
  try {
    source.colour = ColourConfig::Load(ocio);
  } catch (const CliError& error) {
    if (ocio || preset_view) throw;
    WarnOnce("preview colour", std::string(error.what()) + "; the page offers no views");
  }
  PreviewRenderer renderer(source);
  // The preset's display and view: the page opens showing the frame through them.
  const auto asked = [](const std::optional<ColourName>& given) -> ColourConfig::Asked {
    if (!given) return std::nullopt;
    return std::make_pair(given->name, given->source);
  };
  const std::string view =
      preset_view ? renderer.ResolveView(asked(colour.display), asked(colour.view)) : "";
  // Saved again with the controls, so saving over the preset loses neither.
  std::vector<std::pair<std::string, std::string>> kept;
  if (colour.display) kept.emplace_back("display", colour.display->name);
  if (colour.view) kept.emplace_back("view", colour.view->name);
  PreviewServer server(renderer, {flags.input.string(), frame.number, plugin, flags.save_as,
                                  source.start, view, kept, ocio});
  const int port = server.Bind(flags.port);
  StopOnSignal stop_on_signal([&] {
    renderer.Stop();
    server.Stop();
  });
  out << "Previewing " << ShownName(source.file.string()) << " at http://127.0.0.1:" << port
      << "/ (Ctrl-C to stop)\n"
      << std::flush;
  server.Serve();
}

}  // namespace cli::preview
