#include "cli/command/render_command.h"

#include <OpenImageIO/imageio.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "cli/controls/preset_file.h"
#include "cli/image/frame_memory.h"
#include "cli/image/image_io.h"
#include "cli/image/pending_file.h"
#include "cli/report/cli_error.h"
#include "cli/report/codec_messages.h"
#include "cli/report/warnings.h"
#include "cli/sequence/frame_pipeline.h"
#include "cli/sequence/frame_plan.h"
#include "engine/comp_options.h"
#include "engine/effect_module.h"
#include "engine/effect_session.h"

namespace cli {
namespace {

using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> IdentityOf(const std::filesystem::path& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileId{info.st_dev, info.st_ino};
}

// Whether an image reader accepts the file's header; the reader's complaints are not the
// user's business here.
bool HeaderReads(const std::filesystem::path& path) {
  const auto file = OIIO::ImageInput::open(path.string());
  if (!file) {
    OIIO::geterror();  // taken, so it is not added to a later message
    return false;
  }
  return true;
}

// Outputs are renamed into place only when complete, so a killed run's hidden temporary, under
// another name, is never taken for a frame; it is left alone, since it may as well belong to a
// run that is still writing. Another tool may still have left an empty or cut file under a
// frame's name: only a non-empty file whose header reads counts as done.
bool IsComplete(const Frame& frame) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(frame.output, error)) return false;
  const auto size = std::filesystem::file_size(frame.output, error);
  return !error && size > 0 && HeaderReads(frame.output);
}

// Everything that can be known wrong before the effect is loaded, so a bad run fails at once
// and writes nothing. Returns how many frames are left to render.
long CheckFrames(const FramePlan& plan, bool skip_existing) {
  std::set<FileId> inputs;
  std::set<long> numbers;
  long to_render = 0;
  AbandonedTemporaries abandoned;  // a rerun clears what killed runs left
  for (const Frame& frame : plan) {
    if (!numbers.insert(frame.number).second) {
      throw CliError("--frames", "frame " + std::to_string(frame.number) + " is listed twice",
                     kExitUsage);
    }
    if (skip_existing) abandoned.RemoveFor(frame.output);
    if (skip_existing && IsComplete(frame)) continue;
    ++to_render;
    CheckReadableFile(frame.input);
    if (const auto id = IdentityOf(frame.input)) inputs.insert(*id);
  }
  CheckWritableFormat((*plan.begin()).output);
  for (const Frame& frame : plan) {
    if (skip_existing && IsComplete(frame)) continue;
    const auto folder = frame.output.has_parent_path() ? frame.output.parent_path() : ".";
    if (!std::filesystem::is_directory(folder)) {
      throw CliError(frame.output.string(), "no such folder " + folder.string());
    }
    if (const auto id = IdentityOf(frame.output); id && inputs.count(*id)) {
      throw CliError(frame.output.string(), "refusing to write over an input file", kExitUsage);
    }
    CheckReplaceable(frame.output);
  }
  return to_render;
}

std::string Describe(const hostsim::World& result) {
  return std::to_string(result.width()) + " x " + std::to_string(result.height()) + ", " +
         DepthName(result.depth);
}

// Renders one frame while, on a terminal, a watcher thread moves the bar with the progress
// the host's services report inside the frame.
OwnedWorld RenderWatched(velmora::engine::EffectSession& session, const hostsim::World& input,
                         const GlowControls& glow, const velmora::engine::CompOptions& comp,
                         long frame_time, const std::string& subject, Progress& progress) {
  const auto render = [&] {
    return velmora::engine::RenderComposited(session, input, glow, comp,
                                             velmora::engine::TimeOfFrame(frame_time), subject);
  };
  if (!progress.shows_bar()) return render();
  const hostsim::Host& host = session.host();
  std::jthread watcher([&](std::stop_token stop) {
    while (!stop.stop_requested()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      progress.WithinFrame(host.progress_current(), host.progress_total());
    }
  });
  return render();
}

// The closing line of a sequence in which frames failed; a long list is cut short.
std::string FailureSummary(const std::vector<long>& failed, long total) {
  constexpr std::size_t kListed = 20;
  std::string text =
      std::to_string(failed.size()) + " of " + std::to_string(total) + " frames failed:";
  for (std::size_t i = 0; i < std::min(failed.size(), kListed); ++i) {
    text += " " + std::to_string(failed[i]);
  }
  if (failed.size() > kListed) text += " ...";
  return text;
}

// "1025", "1030-1032" or "1031-1035x2", as --frames takes them.
std::string RangeText(const FrameRange& range) {
  std::string text = std::to_string(range.first);
  if (range.last == range.first) return text;
  text.push_back('-');
  text += std::to_string(range.last);
  if (range.step == 1) return text;
  text.push_back('x');
  text += std::to_string(range.step);
  return text;
}

// "2 of 10 frames missing on disk: 1025, 1030"; a long list is cut short, as failures are.
std::string MissingSummary(const std::vector<FrameRange>& missing, long found) {
  constexpr std::size_t kListed = 20;
  long count = 0;
  for (const FrameRange& range : missing) count += range.count();
  std::string text =
      std::to_string(count) + " of " + std::to_string(count + found) + " frames missing on disk:";
  for (std::size_t i = 0; i < std::min(missing.size(), kListed); ++i) {
    text += i ? ", " : " ";
    text += RangeText(missing[i]);
  }
  if (missing.size() > kListed) text += ", ...";
  return text;
}

// What a run would take and write, one line a frame, for scripts to read.
void PrintDryRun(const FramePlan& plan, bool skip_existing, std::ostream& out) {
  for (const Frame& frame : plan) {
    out << (plan.is_sequence() ? std::to_string(frame.number) : "-") << " " << frame.input.string()
        << " -> " << frame.output.string() << (skip_existing && IsComplete(frame) ? " (kept)" : "")
        << "\n";
  }
  out << std::flush;
}

}  // namespace

void RunRender(const RenderRequest& request, std::ostream& out) {
  const FramePlan frames =
      FramePlan::Make(request.input, request.output, request.frames, request.frame_offset);
  if (!frames.missing().empty()) {
    const std::string missing = MissingSummary(frames.missing(), frames.total());
    if (request.strict) throw CliError(request.input.string(), missing + " (--strict)");
    WarnOnce("missing", request.input.string() + ": " + missing);
  }
  // With every frame already there the controls are still checked: a wrong command line
  // fails whatever the folder holds.
  const long to_render = CheckFrames(frames, request.skip_existing);
  if (request.write.compression)
    CheckCompression((*frames.begin()).output, *request.write.compression);

  ControlSettings controls = request.controls;
  ColourRequest colour_request = request.colour;
  if (request.preset) {
    std::map<std::string, std::string> preset = ReadPresetFile(*request.preset);
    TakePresetColour(preset, request.preset->string(), colour_request);
    MergePreset(controls, preset, request.preset->string());
  }
  const std::shared_ptr<const ColourPlan> colour = ColourPlan::Make(colour_request);

  velmora::engine::EffectSession session(velmora::engine::LocateEffectModule(request.plugin));
  struct SessionShown {
    const RenderRequest& request;
    ~SessionShown() {
      if (request.on_session) request.on_session(nullptr);
    }
  } shown{request};
  if (request.on_session) request.on_session(&session);
  const GlowControls glow = ParseControls(controls, session.declared());
  const velmora::engine::CompOptions comp = ParseCompOptions(controls);
  session.SetControls(glow);
  if (request.dry_run) {
    PrintDryRun(frames, request.skip_existing, out);
    return;
  }
  const bool unmultiply = glow.unmultiply;
  const bool gamma = glow.gamma;
  const bool tinted = glow.tint;
  const ReadOptions read_options{request.depth.value_or(hostsim::Depth::k32),
                                 request.layer,
                                 request.max_memory,
                                 to_render > 1,
                                 glow.EdgePad(),
                                 comp.threshold > 0.0,
                                 colour};
  if (colour) colour->WarnAboutSettings(gamma, read_options.depth);

  // A farm retries a failed task; rendering the rest of the sequence first means the retry
  // redoes only the frames that failed, and one bad input frame costs no others.
  std::vector<long> failed;
  Progress progress(to_render, request.verbosity);
  std::atomic<long> finished{0};
  const auto frame_finished = [&] {
    if (request.on_frame) request.on_frame(++finished, to_render);
  };
  FrameStages stages;
  stages.kept = [&](const Frame& frame) { return request.skip_existing && IsComplete(frame); };
  stages.read = [&](const Frame& frame) {
    return ReadImage(frame.input, read_options, session.host().worlds());
  };
  stages.render = [&](const Frame& frame, InputFrame input) -> FrameWrite {
    if (gamma && input.source.linear) {
      WarnOnce("gamma", frame.input.string() +
                            ": --gamma decodes sRGB, but this file is tagged scene-linear");
    }
    OwnedWorld result =
        RenderWatched(session, *input.world, glow, comp, frame.number - frames.earliest(),
                      frame.input.string(), progress);
    // The writer needs only the file's description: the input world goes back to the pool
    // now, not when the frame has been written, so it can serve the next frame's read.
    input.world = OwnedWorld();
    // Unmultiply and the glow pass make an alpha worth keeping even for sources without one.
    WriteOptions write = request.write;
    write.colour = colour;
    write.alpha = input.source.layer.has_alpha() || unmultiply || comp.glow_pass;
    write.keep_grey = !tinted;
    if (tinted && input.source.layer.grey()) {
      WarnOnce("grey",
               frame.input.string() + ": a grey image glowed with a tint is written as RGB");
    }
    // Held by pointer: a FrameWrite is copyable and the frame's worlds are not.
    auto held =
        std::make_shared<std::pair<InputFrame, OwnedWorld>>(std::move(input), std::move(result));
    return [output = frame.output, write = std::move(write), held] {
      const auto& [source_frame, rendered] = *held;
      const SourceImage& source = source_frame.source;
      WriteImage(output, *rendered, source.layer_rect.x + rendered->effect_world.origin_x,
                 source.layer_rect.y + rendered->effect_world.origin_y, source, write);
      return Describe(*rendered);
    };
  };
  stages.on_kept = [&](const Frame& frame) {
    if (request.verbosity != Verbosity::kVerbose) return;
    const auto stderr_lock = LockStderr();
    std::fprintf(stderr, "velmora: kept %s (already complete)\n",
                 ShownName(frame.output.string()).c_str());
  };
  stages.on_written = [&](const Frame& frame, const std::string& written, double seconds) {
    char time[32];
    std::snprintf(time, sizeof time, ", %.2f s", seconds);
    progress.FrameDone(frame.output.string(), written + time);
    frame_finished();
  };
  stages.on_failed = [&](const Frame& frame, std::exception_ptr error) {
    if (!frames.is_sequence()) std::rethrow_exception(error);
    frame_finished();
    failed.push_back(frame.number);
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      progress.FrameFailed("frame " + std::to_string(frame.number) + ": " + e.what());
    }
  };
  RunFrames(frames, stages);
  if (!failed.empty()) throw CliError("", FailureSummary(failed, to_render));
}

}  // namespace cli
