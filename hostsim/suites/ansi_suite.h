#pragma once
// The host's C library functions, shared by "PF ANSI Suite" and the utility callbacks.

#include "hostapi/host_api.h"

namespace hostsim {

// sprintf and strcpy write as the host does: the effect answers for the size of its own
// buffers. Into the host's own text fields (return_msg, name) they never write past the
// field: the text is cut there and the cut is recorded in the journal ("text_truncated").
int HostSprintf(A_char* dst, const A_char* format, ...) noexcept;
A_char* HostStrcpy(A_char* dst, const A_char* src) noexcept;

// The math slots and the two text slots, in the layout both tables share.
template <class Table>
void FillAnsiTable(Table& table);

}  // namespace hostsim
