#pragma once

#include <string_view>

namespace cli {

// For tests that stop a run at a known moment: VELMORA_TEST_PAUSE_AT=<point> makes the thread
// that reaches <point> wait there. With VELMORA_TEST_RESUME_FILE=<path> it creates
// <path>.waiting and goes on once <path> exists; without, it waits for a signal forever.
// Other threads run on.
void PauseIfAsked(std::string_view point);

}  // namespace cli
