#pragma once
// What every host service shares: fault injection, interruption, progress, and the journal
// of calls tests read to check what the effect asked of the host.

#include <optional>
#include <string>

#include "hostapi/host_api.h"

namespace hostsim {

// One call the effect made to the host, with the arguments tests look at.
struct HostCall {
  std::string op;  // the host's own name: "copy", "copy_hq", "transfer_rect", "fill", "fill16",
                   // "fill_float", "premultiply", "AEGP_New", "AEGP_Dispose", "AEGP_FastBlur",
                   // "iterate8", "iterate16", "iterateFloat", "utils_fill", ...
  const void* src_world = nullptr;  // World* identities (null when not given)
  const void* dst_world = nullptr;
  std::optional<PF_Rect> src_rect, dst_rect;
  A_long dest_x = 0, dest_y = 0;
  PF_CompositeMode comp_mode{};
  PF_Quality quality = 0;
  PF_ModeFlags mode_flags = 0;
  PF_Field field = 0;
  double radius = 0.0;                           // fast blur
  std::optional<PF_PixelFloat> color;            // fill colour, channels as stored in the world
  A_long world_type = 0, width = 0, height = 0;  // AEGP_New
  const void* pixel_function = nullptr;          // iterate
};

// Called first by every host function the effect can reach that returns an error code.
// Counts the call; returns the error a test injected for it, or PF_Err_NONE.
PF_Err BeginHostOperation(const char* op);

// Appends to the current host's journal (thread-safe).
void RecordHostCall(HostCall call);

// The host's own interruption state, polled by long services between rows or tiles.
// Nonzero is the error to stop with (for example PF_Interrupt_CANCEL).
PF_Err PollAbort();

// Progress of a long service, for the host's progress display.
void ReportProgress(A_long current, A_long total);

// A host or effect error code in words: "out of memory", "bad callback argument", ...
std::string ErrorWords(A_long err);

// Notes why a host operation refused, in words (ErrorWords(err) when why is empty). The first
// refusal of a command is the one kept: later ones usually follow from it.
void RecordRefusal(const char* op, A_long err, const std::string& why = {});

}  // namespace hostsim
