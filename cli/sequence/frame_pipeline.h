#pragma once
// The frames of a run in flight: while one renders, the next is read and the last written,
// each on a thread of its own (the render keeps every core busy; the codecs wait on the disk
// and compress blocks on their own threads). What each stage does is the caller's; the
// pipeline owns only the order, the threads and how a failure travels.

#include <exception>
#include <functional>
#include <string>

#include "cli/image/image_io.h"
#include "cli/sequence/frame_plan.h"

namespace cli {

// Writes a rendered frame and says what was written ("1920 x 1080, 32-bit float").
using FrameWrite = std::function<std::string()>;

struct FrameStages {
  // Whether the frame is already complete on disk, so it is kept and neither read nor written.
  std::function<bool(const Frame&)> kept;
  std::function<InputFrame(const Frame&)> read;
  // Renders a frame that was read; the write it returns runs behind the next frame's render.
  std::function<FrameWrite(const Frame&, InputFrame)> render;

  // Reports, in frame order and on the caller's thread. seconds runs from the start of the
  // frame's read to the end of its write.
  std::function<void(const Frame&)> on_kept;
  std::function<void(const Frame&, const std::string& written, double seconds)> on_written;
  std::function<void(const Frame&, std::exception_ptr)> on_failed;
};

// Runs every frame of the plan through the stages. A frame's failure goes to on_failed and the
// run goes on with the next; whatever on_failed throws ends the run once no thread is left
// working.
void RunFrames(const FramePlan& plan, const FrameStages& stages);

}  // namespace cli
