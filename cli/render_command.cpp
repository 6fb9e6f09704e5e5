#include "cli/render_command.h"

#include <OpenImageIO/imageio.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <future>
#include <optional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "cli/cli_error.h"
#include "cli/codec_messages.h"
#include "cli/effect_session.h"
#include "cli/frame_memory.h"
#include "cli/frame_plan.h"
#include "cli/image_io.h"
#include "cli/pending_file.h"
#include "cli/preset_file.h"
#include "cli/warnings.h"
#include "hostsim/param_store.h"

namespace cli {
namespace {

using FileId = std::pair<dev_t, ino_t>;
using Clock = std::chrono::steady_clock;

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

std::string Describe(const hostsim::World& result, double seconds) {
  char text[96];
  std::snprintf(text, sizeof text, "%d x %d, %s, %.2f s", result.width(), result.height(),
                DepthName(result.depth), seconds);
  return text;
}

// A frame near the host's size limit can render plainly yet fail with --repeat-edges, whose
// working area is the frame plus a band about the radius wide (rounded up to 64 pixels): the
// host's refusal names only the world it could not make, so the flag that grew it is named here.
void ExplainRepeatEdgesLimit(const hostsim::ParamStore& params, const hostsim::World& input,
                             const CliError& refusal) {
  const bool repeat_edges = params[FindControl("repeat-edges")->index].u.bd.value != 0;
  const long radius = params[FindControl("radius")->index].u.sd.value;
  const long side = std::max(input.width(), input.height());
  if (!repeat_edges || radius == 0 || side + radius + 64 <= kHostMaxSide) return;
  throw CliError("", std::string(refusal.what()) +
                         "; with --repeat-edges the effect works on the frame (" +
                         std::to_string(input.width()) + " x " + std::to_string(input.height()) +
                         ") plus a band about the radius wide, past the host's limit of " +
                         std::to_string(kHostMaxSide) +
                         " pixels on a side; lower --radius or turn off --repeat-edges");
}

// Renders one frame while, on a terminal, a watcher thread moves the bar with the progress
// the host's services report inside the frame.
OwnedWorld RenderWatched(EffectSession& session, const hostsim::World& input, long frame_time,
                         const std::string& subject, Progress& progress) {
  try {
    if (!progress.shows_bar()) return session.Render(input, frame_time, subject);
    const hostsim::Host& host = session.host();
    std::jthread watcher([&](std::stop_token stop) {
      while (!stop.stop_requested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        progress.WithinFrame(host.progress_current(), host.progress_total());
      }
    });
    return session.Render(input, frame_time, subject);
  } catch (const CliError& refusal) {
    ExplainRepeatEdgesLimit(session.host().params(), input, refusal);
    throw;
  }
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
  if (request.preset) {
    MergePreset(controls, ReadPresetFile(*request.preset), request.preset->string());
  }

  EffectSession session(LocateEffectModule(request.plugin));
  hostsim::ParamStore& params = session.host().params();
  ApplyControls(controls, params);
  if (request.dry_run) {
    PrintDryRun(frames, request.skip_existing, out);
    return;
  }
  const bool unmultiply = params[FindControl("unmultiply")->index].u.bd.value != 0;
  const bool gamma = params[FindControl("gamma")->index].u.bd.value != 0;
  const bool tinted = params[FindControl("tint")->enable_index].u.bd.value != 0;
  const ReadOptions read_options{
      request.depth.value_or(hostsim::Depth::k32), request.layer, request.max_memory, to_render > 1,
      RepeatEdgesPad(params[FindControl("repeat-edges")->index].u.bd.value != 0,
                     params[FindControl("radius")->index].u.sd.value)};

  // A farm retries a failed task; rendering the rest of the sequence first means the retry
  // redoes only the frames that failed, and one bad input frame costs no others.
  std::vector<long> failed;
  Progress progress(to_render, request.verbosity);
  auto frame_failed = [&](const Frame& frame, std::exception_ptr error) {
    if (!frames.is_sequence()) std::rethrow_exception(error);
    failed.push_back(frame.number);
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      progress.FrameFailed("frame " + std::to_string(frame.number) + ": " + e.what());
    }
  };

  // Frames in flight: while one renders, the next is read and the last written, each on a
  // thread of its own (the render keeps every core busy; the codecs wait on the disk and
  // compress blocks on their own threads). A frame's failure is reported in frame order.
  struct Reading {
    Frame frame;
    std::future<InputFrame> input;
    Clock::time_point started = Clock::now();
  };
  struct Writing {
    Frame frame;
    std::future<std::string> details;
  };
  std::optional<Reading> reading;
  std::optional<Writing> writing;
  auto start_reading = [&](const Frame& frame) {
    return Reading{frame, std::async(std::launch::async, [&, input = frame.input] {
                     return ReadImage(input, read_options, session.host().worlds());
                   })};
  };
  auto finish_writing = [&] {
    if (!writing) return;
    std::optional<Writing> done = std::exchange(writing, std::nullopt);
    try {
      progress.FrameDone(done->frame.output.string(), done->details.get());
    } catch (const std::exception&) {
      frame_failed(done->frame, std::current_exception());
    }
  };
  // Reads the next frame to render after `current`, if there is one.
  auto read_ahead = [&](FramePlan::Iterator current) {
    for (++current; current != frames.end(); ++current) {
      const Frame frame = *current;
      if (request.skip_existing && IsComplete(frame)) continue;
      reading.emplace(start_reading(frame));
      return;
    }
  };

  for (auto it = frames.begin(); it != frames.end(); ++it) {
    const Frame frame = *it;
    const bool read_ahead_already = reading && reading->frame.number == frame.number;
    if (!read_ahead_already && request.skip_existing && IsComplete(frame)) {
      finish_writing();
      if (request.verbosity == Verbosity::kVerbose) {
        const auto stderr_lock = LockStderr();
        std::fprintf(stderr, "velmora: kept %s (already complete)\n",
                     ShownName(frame.output.string()).c_str());
      }
      continue;
    }
    // A frame read ahead is taken as it is; any other is read now, and a later frame's read
    // ahead stays pending until the loop reaches it.
    Reading current = read_ahead_already ? std::move(*std::exchange(reading, std::nullopt))
                                         : start_reading(frame);
    try {
      InputFrame input = current.input.get();
      if (!reading) read_ahead(it);
      if (gamma && input.source.linear) {
        WarnOnce("gamma", frame.input.string() +
                              ": --gamma decodes sRGB, but this file is tagged scene-linear");
      }
      OwnedWorld result = RenderWatched(session, *input.world, frame.number - frames.earliest(),
                                        frame.input.string(), progress);
      // The writer needs only the file's description: the input world goes back to the pool
      // now, not when the frame has been written, so it can serve the next frame's read.
      input.world = OwnedWorld();
      finish_writing();
      // Unmultiply makes an alpha worth keeping even for sources without one.
      WriteOptions write = request.write;
      write.alpha = input.source.layer.has_alpha() || unmultiply;
      write.keep_grey = !tinted;
      if (tinted && input.source.layer.grey()) {
        WarnOnce("grey",
                 frame.input.string() + ": a grey image glowed with a tint is written as RGB");
      }
      auto write_frame = [output = frame.output, write = std::move(write), input = std::move(input),
                          result = std::move(result), started = current.started] {
        WriteImage(output, *result, input.source.layer_rect.x + result->effect_world.origin_x,
                   input.source.layer_rect.y + result->effect_world.origin_y, input.source, write);
        return Describe(*result, std::chrono::duration<double>(Clock::now() - started).count());
      };
      writing.emplace(Writing{frame, std::async(std::launch::async, std::move(write_frame))});
    } catch (const std::exception&) {
      if (!reading) read_ahead(it);
      finish_writing();
      frame_failed(frame, std::current_exception());
    }
  }
  finish_writing();
  if (!failed.empty()) throw CliError("", FailureSummary(failed, to_render));
}

}  // namespace cli
