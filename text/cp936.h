#pragma once
// The effect's texts are code page 936 bytes (the host's convention for its UI strings); the
// velmora command shows them on UTF-8 terminals and the tests compare them with the texts as
// written.

#include <string>

namespace text {

// Bytes that do not decode come out as U+FFFD, one for each byte skipped; everything else,
// line breaks (the host's carriage returns) included, as it is.
std::string Cp936ToUtf8(const std::string& bytes);

}  // namespace text
