// velmora: applies the Velmora glow to image files and sequences through the simulated host.

#include <CLI/CLI.hpp>
#include <iostream>
#include <map>
#include <memory>

#include "cli/cli_error.h"
#include "cli/controls.h"
#include "cli/effect_session.h"
#include "cli/info_command.h"
#include "cli/render_command.h"

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

// What `velmora render` collects from its flags before it becomes a request.
struct RenderFlags {
  cli::RenderRequest request;
  std::string depth;
  bool quiet = false;
  bool verbose = false;
  // One entry per effect control: the text given, or the switch's state, and whether given.
  std::map<std::string, std::string> texts;
  std::map<std::string, bool> switches;
  std::map<std::string, CLI::Option*> given;
};

CLI::App* AddRenderCommand(CLI::App& app, RenderFlags& flags) {
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
      ->type_name("N");
  render->add_option("--depth", flags.depth, "Processing depth: 8, 16 or 32 (default: the input's)")
      ->type_name("BITS");
  render->add_option("--preset", request.preset, "JSON or TOML file of control values; flags win")
      ->type_name("FILE");
  render->add_flag("--skip-existing", request.skip_existing,
                   "Leave frames whose output file is already there (a rerun after a crash)");
  auto* quiet_flag = render->add_flag("-q,--quiet", flags.quiet, "No progress bar");
  render->add_flag("-v,--verbose", flags.verbose, "A line for each frame written")
      ->excludes(quiet_flag);

  // One flag per effect control; switches also have --no- forms to override a preset.
  for (const cli::Control& control : cli::Controls()) {
    const std::string name(control.name);
    if (control.kind == cli::ControlKind::kSwitch) {
      flags.given[name] = render->add_flag("--" + name + ",!--no-" + name, flags.switches[name],
                                           std::string(control.help));
    } else {
      flags.given[name] =
          render->add_option("--" + name, flags.texts[name], std::string(control.help))
              ->type_name(ValueName(control));
    }
  }
  return render;
}

std::optional<hostsim::Depth> ParseDepth(const std::string& text) {
  if (text == "8") return hostsim::Depth::k8;
  if (text == "16") return hostsim::Depth::k16;
  if (text == "32") return hostsim::Depth::k32;
  throw cli::CliError("--depth", "'" + text + "' is not one of 8, 16, 32", cli::kExitUsage);
}

cli::RenderRequest MakeRenderRequest(RenderFlags& flags, const CLI::App& render,
                                     const std::optional<std::filesystem::path>& plugin) {
  cli::RenderRequest request = flags.request;
  if (render.count("--depth")) request.depth = ParseDepth(flags.depth);
  for (const cli::Control& control : cli::Controls()) {
    const std::string name(control.name);
    if (flags.given[name]->count() == 0) continue;
    const std::string text = control.kind == cli::ControlKind::kSwitch
                                 ? (flags.switches[name] ? "true" : "false")
                                 : flags.texts[name];
    request.controls[name] = cli::ControlSetting{text, "--" + name};
  }
  request.plugin = plugin;
  request.verbosity = flags.quiet     ? cli::Verbosity::kQuiet
                      : flags.verbose ? cli::Verbosity::kVerbose
                                      : cli::Verbosity::kNormal;
  return request;
}

void PrintVersions(const std::optional<std::filesystem::path>& plugin) {
  std::cout << "velmora " << kToolVersion << "\n" << std::flush;
  const std::string effect = cli::EffectVersionLine(cli::LocateEffectModule(plugin));
  std::cout << "effect " << effect << "\n";
}

int Run(int argc, char** argv) {
  CLI::App app{"Applies the Velmora glow to images and image sequences.", "velmora"};
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
  RenderFlags render_flags;
  CLI::App* render = AddRenderCommand(app, render_flags);
  CLI::App* info = app.add_subcommand("info", "Show the effect as the host sees it");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);  // --help
    std::cerr << "velmora: " << error.what() << " (see velmora --help)\n";
    return cli::kExitUsage;
  }

  if (version) {
    PrintVersions(plugin);
  } else if (info->parsed()) {
    cli::RunInfo(plugin, std::cout);
  } else if (render->parsed()) {
    cli::RunRender(MakeRenderRequest(render_flags, *render, plugin));
  } else {
    std::cerr << app.help();
    return cli::kExitUsage;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const cli::CliError& error) {
    std::cerr << "velmora: " << error.what() << "\n";
    return error.exit_status();
  } catch (const std::exception& error) {
    std::cerr << "velmora: " << error.what() << "\n";
    return cli::kExitFailure;
  }
}
