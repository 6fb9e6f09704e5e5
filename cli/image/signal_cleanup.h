#pragma once
// Temporary files a signal must not leave behind. A signal that would end the process removes
// the files registered here first, then ends it as it would have (a calling shell sees the
// signal). The handler only calls async-signal-safe functions: it reads a fixed table.

#include <string>

namespace cli {

// Takes over every signal whose default action ends the process and that is still at its
// default (an ignored signal stays ignored, a handler someone else installed keeps its job);
// ignores SIGXFSZ, so a write past a file size limit fails with EFBIG. Once per process.
void InstallSignalHandlers();

// Registers name (in folder_fd, open as fd) for removal on such a signal; returns the ticket
// KeepOnSignal takes, or -1 when more files are in progress than the table holds.
int RemoveOnSignal(int folder_fd, int fd, const std::string& name);
void KeepOnSignal(int ticket);  // -1 is no ticket

// Whether name in folder_fd is still the file open as fd. Async-signal-safe.
bool SameFile(int fd, int folder_fd, const char* name);

// Removes name only while it is the file open as fd: whatever someone put in its place is not
// ours to remove. Async-signal-safe.
void RemoveIfOurs(int folder_fd, const char* name, int fd);

}  // namespace cli
