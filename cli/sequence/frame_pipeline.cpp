#include "cli/sequence/frame_pipeline.h"

#include <chrono>
#include <future>
#include <optional>
#include <utility>

namespace cli {
namespace {

using Clock = std::chrono::steady_clock;

struct Reading {
  Frame frame;
  std::future<InputFrame> input;
  Clock::time_point started = Clock::now();
};

struct Written {
  std::string what;
  double seconds;  // from the start of the read
};

struct Writing {
  Frame frame;
  std::future<Written> written;
};

class Pipeline {
 public:
  Pipeline(const FramePlan& plan, const FrameStages& stages) : plan_(plan), stages_(stages) {}

  // Leaves no thread running, whichever way it ends: a pending future's destructor waits.
  void Run() {
    for (auto it = plan_.begin(); it != plan_.end(); ++it) RunFrame(it);
    FinishWriting();
  }

 private:
  void RunFrame(FramePlan::Iterator it) {
    const Frame frame = *it;
    const bool read_ahead = reading_ && reading_->frame.number == frame.number;
    if (!read_ahead && stages_.kept(frame)) {
      FinishWriting();
      stages_.on_kept(frame);
      return;
    }
    // A frame read ahead is taken as it is; any other is read now, and a later frame's read
    // ahead stays pending until the loop reaches it.
    Reading current =
        read_ahead ? std::move(*std::exchange(reading_, std::nullopt)) : StartReading(frame);
    try {
      InputFrame input = current.input.get();
      if (!reading_) ReadAhead(it);
      FrameWrite write = stages_.render(frame, std::move(input));
      FinishWriting();
      auto write_timed = [write = std::move(write), started = current.started] {
        std::string what = write();
        return Written{std::move(what),
                       std::chrono::duration<double>(Clock::now() - started).count()};
      };
      writing_.emplace(Writing{frame, std::async(std::launch::async, std::move(write_timed))});
    } catch (const std::exception&) {
      if (!reading_) ReadAhead(it);
      FinishWriting();
      stages_.on_failed(frame, std::current_exception());
    }
  }

  Reading StartReading(const Frame& frame) {
    return Reading{frame, std::async(std::launch::async, stages_.read, frame)};
  }

  // Starts reading the next frame to render after current, if there is one.
  void ReadAhead(FramePlan::Iterator current) {
    for (++current; current != plan_.end(); ++current) {
      const Frame frame = *current;
      if (stages_.kept(frame)) continue;
      reading_.emplace(StartReading(frame));
      return;
    }
  }

  void FinishWriting() {
    if (!writing_) return;
    Writing done = std::move(*std::exchange(writing_, std::nullopt));
    try {
      const Written written = done.written.get();
      stages_.on_written(done.frame, written.what, written.seconds);
    } catch (const std::exception&) {
      stages_.on_failed(done.frame, std::current_exception());
    }
  }

  const FramePlan& plan_;
  const FrameStages& stages_;
  std::optional<Reading> reading_;
  std::optional<Writing> writing_;
};

}  // namespace

void RunFrames(const FramePlan& plan, const FrameStages& stages) {
  Pipeline(plan, stages).Run();
}

}  // namespace cli
