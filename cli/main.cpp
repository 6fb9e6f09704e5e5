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

  cli::RenderRequest request;
  CLI::App* render = app.add_subcommand("render", "Render an image or a numbered sequence");
  render->add_option("input", request.input, "Input image, or a pattern: shot.####.exr")
      ->required()
      ->type_name("FILE");
  render->add_option("output", request.output, "Output image, or a pattern: glow.%04d.exr")
      ->required()
      ->type_name("FILE");
  render->add_option("--frames", request.frames, "Frames of a sequence: FIRST-LAST or one number")
      ->type_name("RANGE");
  int depth_bits = 0;
  render->add_option("--depth", depth_bits, "Processing depth (default: the input's)")
      ->check(CLI::IsMember({8, 16, 32}));
  render->add_option("--preset", request.preset, "JSON or TOML file of control values; flags win")
      ->type_name("FILE");
  render->add_flag("--skip-existing", request.skip_existing,
                   "Leave frames whose output file is already there (a rerun after a crash)");
  bool quiet = false, verbose = false;
  auto* quiet_flag = render->add_flag("-q,--quiet", quiet, "No progress bar");
  render->add_flag("-v,--verbose", verbose, "A line for each frame written")->excludes(quiet_flag);

  // One flag per effect control; switches also have --no- forms to override a preset.
  std::map<std::string, std::string> texts;
  std::map<std::string, bool> switches;
  std::map<std::string, CLI::Option*> given;
  for (const cli::Control& control : cli::Controls()) {
    const std::string name(control.name);
    if (control.kind == cli::ControlKind::kSwitch) {
      given[name] = render->add_flag("--" + name + ",!--no-" + name, switches[name],
                                     std::string(control.help));
    } else {
      given[name] = render->add_option("--" + name, texts[name], std::string(control.help))
                        ->type_name(ValueName(control));
    }
  }

  CLI::App* info = app.add_subcommand("info", "Show the effect as the host sees it");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);  // --help
    std::cerr << "velmora: " << error.what() << " (see velmora --help)\n";
    return cli::kExitUsage;
  }

  if (version) {
    std::cout << "velmora " << kToolVersion << "\n" << std::flush;
    const std::string effect = cli::EffectVersionLine(cli::LocateEffectModule(plugin));
    std::cout << "effect " << effect << "\n";
    return 0;
  }
  if (info->parsed()) {
    cli::RunInfo(plugin, std::cout);
    return 0;
  }
  if (render->parsed()) {
    if (depth_bits) {
      request.depth = depth_bits == 8    ? hostsim::Depth::k8
                      : depth_bits == 16 ? hostsim::Depth::k16
                                         : hostsim::Depth::k32;
    }
    for (const cli::Control& control : cli::Controls()) {
      const std::string name(control.name);
      if (given[name]->count() == 0) continue;
      const std::string text = control.kind == cli::ControlKind::kSwitch
                                   ? (switches[name] ? "true" : "false")
                                   : texts[name];
      request.controls[name] = cli::ControlSetting{text, "--" + name};
    }
    request.plugin = plugin;
    request.verbosity = quiet     ? cli::Verbosity::kQuiet
                        : verbose ? cli::Verbosity::kVerbose
                                  : cli::Verbosity::kNormal;
    cli::RunRender(request);
    return 0;
  }
  std::cerr << app.help();
  return cli::kExitUsage;
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
