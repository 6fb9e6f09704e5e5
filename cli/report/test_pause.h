#pragma once

#include <functional>
#include <string_view>

namespace cli {

// For tests that stop a run at a known moment: VELMORA_TEST_PAUSE_AT=<point> makes the thread
// that reaches <point> wait there. With VELMORA_TEST_RESUME_FILE=<path> it creates
// <path>.waiting and goes on once <path> exists; without, it waits for a signal forever.
// Other threads run on.
void PauseIfAsked(std::string_view point);

// As PauseIfAsked, but only the first thread that reaches <point> waits, and it also goes on
// once `released` says so (asked every 10 ms): a server's first request can be held until a
// later one overtakes it, while the later one passes the same point.
void PauseFirstIfAsked(std::string_view point, const std::function<bool()>& released);

}  // namespace cli
