#include "cli/render_command.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "cli/cli_error.h"
#include "cli/effect_session.h"
#include "cli/frame_pattern.h"
#include "cli/image_io.h"
#include "cli/preset_file.h"
#include "cli/warnings.h"
#include "hostsim/param_store.h"

namespace cli {
namespace {

struct Frame {
  long number;
  std::filesystem::path input;
  std::filesystem::path output;
};

std::vector<Frame> PlanFrames(const RenderRequest& request) {
  const auto in_pattern = FramePattern::Find(request.input);
  const auto out_pattern = FramePattern::Find(request.output);
  if (!request.frames) {
    if (in_pattern) {
      throw CliError(request.input.string(), "a frame pattern needs --frames FIRST-LAST",
                     kExitUsage);
    }
    if (out_pattern) {
      throw CliError(request.output.string(), "a frame pattern needs --frames FIRST-LAST",
                     kExitUsage);
    }
    return {Frame{0, request.input, request.output}};
  }
  const FrameRange range = ParseFrameRange(*request.frames);
  if (!in_pattern) {
    throw CliError(request.input.string(), "--frames needs a frame pattern such as name.####.exr",
                   kExitUsage);
  }
  if (!out_pattern && range.count() > 1) {
    throw CliError(request.output.string(), "several frames need a frame pattern in the output",
                   kExitUsage);
  }
  std::vector<Frame> frames;
  for (long number = range.first; number <= range.last; ++number) {
    frames.push_back(Frame{number, in_pattern->FramePath(number),
                           out_pattern ? out_pattern->FramePath(number) : request.output});
  }
  return frames;
}

using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> IdentityOf(const std::filesystem::path& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileId{info.st_dev, info.st_ino};
}

// Everything that can be known wrong before the effect is loaded, so a bad run fails at once
// and writes nothing.
void CheckFrames(const std::vector<Frame>& frames) {
  std::set<FileId> inputs;
  for (const Frame& frame : frames) {
    CheckReadableFile(frame.input);
    if (const auto id = IdentityOf(frame.input)) inputs.insert(*id);
  }
  CheckWritableFormat(frames.front().output);
  for (const Frame& frame : frames) {
    const auto folder = frame.output.has_parent_path() ? frame.output.parent_path() : ".";
    if (!std::filesystem::is_directory(folder)) {
      throw CliError(frame.output.string(), "no such folder " + folder.string());
    }
    if (const auto id = IdentityOf(frame.output); id && inputs.count(*id)) {
      throw CliError(frame.output.string(), "refusing to write over an input file", kExitUsage);
    }
  }
}

std::string Describe(const hostsim::World& result, double seconds) {
  char text[96];
  std::snprintf(text, sizeof text, "%d x %d, %s, %.2f s", result.width(), result.height(),
                DepthName(result.depth), seconds);
  return text;
}

// Renders one frame while, on a terminal, a watcher thread moves the bar with the progress
// the host's services report inside the frame.
OwnedWorld RenderWatched(EffectSession& session, const hostsim::World& input, long frame_time,
                         const std::string& subject, Progress& progress) {
  if (!progress.shows_bar()) return session.Render(input, frame_time, subject);
  const hostsim::Host& host = session.host();
  std::jthread watcher([&](std::stop_token stop) {
    while (!stop.stop_requested()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      progress.WithinFrame(host.progress_current(), host.progress_total());
    }
  });
  return session.Render(input, frame_time, subject);
}

}  // namespace

void RunRender(const RenderRequest& request) {
  const std::vector<Frame> frames = PlanFrames(request);
  CheckFrames(frames);
  if (request.write.compression)
    CheckCompression(frames.front().output, *request.write.compression);

  ControlSettings controls = request.controls;
  if (request.preset) {
    MergePreset(controls, ReadPresetFile(*request.preset), request.preset->string());
  }

  EffectSession session(LocateEffectModule(request.plugin));
  hostsim::ParamStore& params = session.host().params();
  ApplyControls(controls, params);
  const bool unmultiply = params[FindControl("unmultiply")->index].u.bd.value != 0;
  const bool gamma = params[FindControl("gamma")->index].u.bd.value != 0;
  const ReadOptions read_options{request.depth.value_or(hostsim::Depth::k32), request.layer,
                                 request.max_memory};

  Progress progress(static_cast<long>(frames.size()), request.verbosity);
  for (const Frame& frame : frames) {
    const auto start = std::chrono::steady_clock::now();
    const InputFrame input = ReadImage(frame.input, read_options, session.host().worlds());
    if (gamma && input.source.linear) {
      WarnOnce("gamma", frame.input.string() +
                            ": --gamma decodes sRGB, but this file is tagged scene-linear");
    }
    const OwnedWorld result =
        RenderWatched(session, *input.world, frame.number - frames.front().number,
                      frame.input.string(), progress);
    // Unmultiply makes an alpha worth keeping even for sources without one.
    WriteOptions write = request.write;
    write.alpha = input.source.layer.has_alpha() || unmultiply;
    WriteImage(frame.output, *result, input.source.layer_rect.x + result->effect_world.origin_x,
               input.source.layer_rect.y + result->effect_world.origin_y, input.source, write);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    progress.FrameDone(frame.output.string(), Describe(*result, seconds));
  }
}

}  // namespace cli
