// velmora: applies the Velmora glow to image files and sequences through the simulated host.

#include <OpenImageIO/imageio.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>

#include "cli/colour/colour_config.h"
#include "cli/command/help_format.h"
#include "cli/command/manual.h"
#include "cli/command/render_command.h"
#include "cli/command/unknown_argument.h"
#include "cli/controls/controls.h"
#include "cli/image/frame_memory.h"
#include "cli/image/image_io.h"
#include "cli/info/info_command.h"
#include "cli/preview/preview_command.h"
#include "cli/report/cli_error.h"
#include "engine/comp_options.h"
#include "engine/effect_module.h"
#include "engine/effect_session.h"
#include "engine/threads.h"
#include "hostsim/parallel.h"

namespace {

constexpr const char* kToolVersion = VELMORA_TOOL_VERSION;

// How help shows a control's value: "PIXELS", or a popup's choices "screen|add".
std::string ValueName(const cli::Control& control) {
  std::string name(control.value_name);
  for (std::size_t i = 0; i < control.choices.size(); ++i) {
    if (i) name.push_back('|');
    name.append(control.choices[i]);
  }
  return name;
}

// Help shows each control's range and default, read from the effect; only loaded for help.
bool AsksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "-h" || word == "--help" || word == "--manual") return true;
  }
  return false;
}

// --plugin's value when given, so help reads the module the run would use.
std::optional<std::filesystem::path> PluginHint(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--plugin") return std::filesystem::path(argv[i + 1]);
  }
  return std::nullopt;
}

std::string CommandLine(int argc, char** argv) {
  std::string line = "velmora";
  for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
  return line;
}

// An empty value (--frame-offset "") is no number, whatever CLI11 would make of it.
const CLI::Validator kNotEmpty(
    [](const std::string& text) { return text.empty() ? "an empty value is not a number" : ""; },
    "", "not empty");

// The colour flags of velmora render, in the order RenderFlags::colour holds their values.
struct ColourOption {
  const char* flag;
  std::optional<cli::ColourName> cli::ColourRequest::*member;
  const char* help;
  const char* value_name;
};
constexpr ColourOption kColourOptions[] = {
    {"--colorspace", &cli::ColourRequest::input,
     "The input's colour space or role (default: the file's tag, else its format's convention)",
     "NAME"},
    {"--working-space", &cli::ColourRequest::working,
     "Glow in this colour space or role, e.g. scene_linear (default: none, the file's values as "
     "stored)",
     "NAME"},
    {"--output-colorspace", &cli::ColourRequest::output,
     "The output's colour space or role (default: the input's)", "NAME"},
    {"--display", &cli::ColourRequest::display,
     "Write through this display of the config (with --view; default view: the display's), "
     "instead of --output-colorspace",
     "NAME"},
    {"--view", &cli::ColourRequest::view,
     "The display's view to write through (default display: the config's)", "NAME"},
    {"--look", &cli::ColourRequest::look,
     "Grade the glowed picture with the config's look(s), e.g. \"grade, +film\"", "NAMES"},
};

// What `velmora render` collects from its flags before it becomes a request.
struct RenderFlags {
  cli::RenderRequest request;
  std::string depth;
  std::string data_type;
  std::string max_memory;
  std::optional<int> threads;
  // --colorspace, --working-space, --output-colorspace, --display, --view, --look
  std::string colour[std::size(kColourOptions)];
  bool quiet = false;
  bool verbose = false;
  // One entry per effect control: the text given, or the switch's state, and whether given.
  std::map<std::string, std::string> texts;
  std::map<std::string, bool> switches;
  std::map<std::string, CLI::Option*> given;
};

CLI::App* AddRenderCommand(CLI::App& app, RenderFlags& flags,
                           const std::map<std::string, std::string, std::less<>>& ranges) {
  CLI::App* render = app.add_subcommand("render", "Render an image or a numbered sequence");
  cli::RenderRequest& request = flags.request;
  render->add_option("input", request.input, "Input image, or a pattern: shot.####.exr")
      ->required()
      ->type_name("FILE");
  render->add_option("output", request.output, "Output image, or a pattern: glow.%04d.exr")
      ->required()
      ->type_name("FILE");
  render
      ->add_option("--frames", request.frames,
                   "Frames of a sequence: 1001-1100, 1001-1100x2, 1001,1005,1010-1020 "
                   "(default: the frames on disk)")
      ->type_name("LIST");
  render->add_option("--frame-offset", request.frame_offset, "Added to each output frame number")
      ->check(kNotEmpty)
      ->type_name("N");
  render
      ->add_option("--depth", flags.depth,
                   "Processing depth: 8 or 16 render as the host does in an 8- or 16-bit "
                   "project (default: float, whatever the file holds; the file keeps its type)")
      ->option_text("8|16|32");
  render
      ->add_option("-d,--data-type", flags.data_type,
                   "The output's colour type (default: the input's)")
      ->option_text("uint8|uint10|uint16|half|float");
  render
      ->add_option("--compression", request.write.compression,
                   "Output compression, e.g. zip, piz, dwaa:45, lzw (default: the input's if "
                   "lossless, else lossless)")
      ->option_text("NAME[:LEVEL]");
  render->add_option("--quality", request.write.quality, "JPEG quality, 1 to 100")
      ->check(kNotEmpty & CLI::Range(1, 100))
      ->option_text("N");
  render
      ->add_option("--layer", request.layer,
                   "The EXR layer to glow, e.g. diffuse (default: R, G, B, A)")
      ->type_name("NAME");
  cli::AddMaxMemoryOption(*render, flags.max_memory);
  render
      ->add_option("--threads", flags.threads,
                   "Worker threads, 0 for one per core, at most " +
                       std::to_string(hostsim::kMaxWorkerThreads) +
                       " (default: VELMORA_THREADS, else all)")
      ->check(kNotEmpty & CLI::Range(0, hostsim::kMaxWorkerThreads))
      ->option_text("N");
  render->add_option("--preset", request.preset, "JSON or TOML file of control values; flags win")
      ->type_name("FILE");
  for (std::size_t i = 0; i < std::size(kColourOptions); ++i) {
    render->add_option(kColourOptions[i].flag, flags.colour[i], kColourOptions[i].help)
        ->type_name(kColourOptions[i].value_name);
  }
  render->add_flag("--skip-existing", request.skip_existing,
                   "Leave frames whose output file is already there (a rerun after a crash)");
  render->add_flag("--strict", request.strict,
                   "A frame missing on disk between the first and last found is an error, not "
                   "a warning (without --frames)");
  render->add_flag("--dry-run", request.dry_run,
                   "Print each frame's input and output on stdout ('(kept)' where "
                   "--skip-existing leaves it) and render nothing");
  auto* quiet_flag = render->add_flag("-q,--quiet", flags.quiet, "No progress bar");
  render->add_flag("-v,--verbose", flags.verbose, "A line for each frame written")
      ->excludes(quiet_flag);

  // One flag per effect control; switches also have --no- forms to override a preset.
  for (const cli::Control& control : cli::Controls()) {
    const std::string name(control.name);
    const auto range = ranges.find(name);
    const std::string help =
        std::string(control.help) + (range == ranges.end() ? "" : " (" + range->second + ")");
    if (control.kind == cli::ControlKind::kSwitch) {
      flags.given[name] =
          render->add_flag("--" + name + ",!--no-" + name, flags.switches[name], help);
    } else {
      flags.given[name] =
          render->add_option("--" + name, flags.texts[name], help)->type_name(ValueName(control));
    }
  }
  // The options built around the effect: highlights, mix and the glow pass.
  for (const velmora::engine::CompRange& range : velmora::engine::CompRanges()) {
    const std::string name(range.name);
    flags.given[name] =
        render
            ->add_option("--" + name, flags.texts[name],
                         std::string(range.help) + " (" + velmora::engine::RangeText(range) + ")")
            ->type_name("NUMBER");
  }
  const std::string pass(velmora::engine::kGlowPassName);
  flags.given[pass] = render->add_flag("--" + pass + ",!--no-" + pass, flags.switches[pass],
                                       std::string(velmora::engine::kGlowPassHelp));
  return render;
}

std::optional<hostsim::Depth> ParseDepth(const std::string& text) {
  if (const std::optional<hostsim::Depth> depth = hostsim::ParseDepth(text)) return depth;
  throw cli::CliError("--depth", "'" + text + "' is not one of 8, 16, 32", cli::kExitUsage);
}

cli::RenderRequest MakeRenderRequest(RenderFlags& flags, const CLI::App& render,
                                     const std::optional<std::filesystem::path>& plugin,
                                     const std::optional<std::filesystem::path>& ocio,
                                     const std::string& command) {
  cli::RenderRequest request = flags.request;
  if (render.count("--depth")) request.depth = ParseDepth(flags.depth);
  request.colour.ocio = ocio;
  for (std::size_t i = 0; i < std::size(kColourOptions); ++i) {
    const ColourOption& option = kColourOptions[i];
    if (render.count(option.flag)) {
      request.colour.*option.member = cli::ColourName{flags.colour[i], option.flag};
    }
  }
  for (const cli::Control& control : cli::Controls()) {
    const std::string name(control.name);
    if (flags.given[name]->count() == 0) continue;
    const std::string text = control.kind == cli::ControlKind::kSwitch
                                 ? (flags.switches[name] ? "true" : "false")
                                 : flags.texts[name];
    request.controls[name] = cli::ControlSetting{text, "--" + name};
  }
  for (const std::string_view comp : cli::CompOptionNames()) {
    const std::string name(comp);
    if (flags.given[name]->count() == 0) continue;
    const bool is_switch = comp == velmora::engine::kGlowPassName;
    const std::string text =
        is_switch ? (flags.switches[name] ? "true" : "false") : flags.texts[name];
    request.controls[name] = cli::ControlSetting{text, "--" + name};
  }
  request.plugin = plugin;
  if (!flags.data_type.empty()) {
    cli::CheckDataType(flags.data_type);
    request.write.data_type = flags.data_type;
  }
  request.max_memory = cli::MaxMemoryFlag(flags.max_memory);
  velmora::engine::SetThreads(flags.threads);
  cli::SetCodecThreads(hostsim::ThreadCount());
  request.write.software = std::string("velmora ") + kToolVersion;
  request.write.command = command;
  request.verbosity = flags.quiet     ? cli::Verbosity::kQuiet
                      : flags.verbose ? cli::Verbosity::kVerbose
                                      : cli::Verbosity::kNormal;
  return request;
}

void PrintVersions(const std::optional<std::filesystem::path>& plugin) {
  std::cout << "velmora " << kToolVersion << "\n" << std::flush;
  const std::string effect = cli::EffectVersionLine(velmora::engine::LocateEffectModule(plugin));
  std::cout << "effect " << effect << "\n";
}

int Run(int argc, char** argv) {
  CLI::App app{"Applies the Velmora glow to images and image sequences.", "velmora"};
  app.formatter(cli::PlainHelpFormatter());
  app.fallthrough();
  app.require_subcommand(0, 1);
  app.footer(
      "Ranges and defaults of the controls come from the effect itself: see 'velmora info'.\n"
      "Example: velmora render shot.####.exr out/glow.####.exr --frames 1001-1100 --radius 60");

  bool version = false;
  app.add_flag("--version", version, "Print the tool's and the effect's version and exit");
  std::optional<std::filesystem::path> plugin;
  app.add_option("--plugin", plugin, "The effect module to load (default: the installed one)")
      ->type_name("PATH");
  std::optional<std::filesystem::path> ocio;
  app.add_option("--ocio", ocio,
                 "The OpenColorIO config colour names resolve in (default: $OCIO, else "
                 "OpenImageIO's built-in sRGB, linear, Rec709)")
      ->type_name("PATH");
  RenderFlags render_flags;
  const auto ranges = AsksForHelp(argc, argv) ? cli::ControlRanges(PluginHint(argc, argv))
                                              : decltype(cli::ControlRanges({})){};
  CLI::App* render = AddRenderCommand(app, render_flags, ranges);
  CLI::App* info = app.add_subcommand("info", "Show the effect as the host sees it");
  bool info_json = false;
  auto* json_flag =
      info->add_flag("--json", info_json, "The effect's controls as JSON, for scripts");
  bool info_colorspaces = false;
  info->add_flag("--colorspaces", info_colorspaces,
                 "List the colour config's spaces and roles (see --ocio)")
      ->excludes(json_flag);
  cli::preview::PreviewFlags preview_flags;
  CLI::App* preview = cli::preview::AddPreviewCommand(app, preview_flags);

  // Hidden: the build writes the manual page and the bash completion from these definitions.
  std::string manual;
  app.add_option("--manual", manual, "Write the manual page or the bash completion")
      ->check(CLI::IsMember({"man", "bash"}))
      ->group("");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);  // --help
    if (dynamic_cast<const CLI::ExtrasError*>(&error)) {
      std::cerr << "velmora: " << cli::UnknownArgument(app, argc, argv) << "\n";
      return cli::kExitUsage;
    }
    std::cerr << "velmora: " << cli::OneLine(error.what()) << " (see velmora --help)\n";
    return cli::kExitUsage;
  }

  if (manual == "man") {
    cli::WriteManPage(app, kToolVersion, std::cout);
  } else if (manual == "bash") {
    cli::WriteBashCompletion(app, std::cout);
  } else if (version) {
    PrintVersions(plugin);
  } else if (info->parsed()) {
    if (info_colorspaces) {
      cli::PrintColourSpaces(*cli::ColourConfig::Load(ocio), std::cout);
    } else if (info_json) {
      cli::RunInfoJson(plugin, std::cout);
    } else {
      cli::RunInfo(plugin, std::cout);
      cli::PrintColourSummary(ocio, std::cout);
    }
  } else if (preview->parsed()) {
    cli::preview::RunPreview(preview_flags, plugin, ocio, std::cout);
  } else if (render->parsed()) {
    cli::RunRender(MakeRenderRequest(render_flags, *render, plugin, ocio, CommandLine(argc, argv)),
                   std::cout);
  } else {
    std::cerr << app.help();
    return cli::kExitUsage;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The image library's debug lines (metadata it drops, say) are for its own developers, who
  // ask for them through $OPENIMAGEIO_DEBUG; Debian's build prints them otherwise.
  if (!std::getenv("OPENIMAGEIO_DEBUG")) OIIO::attribute("debug", 0);
  try {
    return Run(argc, argv);
  } catch (const cli::CliError& error) {
    std::cerr << "velmora: " << cli::OneLine(error.what()) << "\n";
    return error.exit_status();
  } catch (const std::exception& error) {
    std::cerr << "velmora: " << cli::OneLine(error.what()) << "\n";
    return cli::kExitFailure;
  }
}
