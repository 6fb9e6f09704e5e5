#pragma once
// What the image codecs say, made fit for the tool's one-line reports.

#include <mutex>
#include <string>

namespace cli {

// "what (the codec's message on one line)", or words of ours when the codec gave none.
std::string CodecReason(const std::string& what, const std::string& message);

// Held while the tool prints a line to stderr, so lines from the threads that read and write
// frames never cut into each other or into the progress bar. Held only while printing: codec
// calls never wait on it.
std::unique_lock<std::recursive_mutex> LockStderr();

}  // namespace cli
