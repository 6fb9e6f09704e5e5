#pragma once
// The effect's texts are code page 936 bytes; terminals want UTF-8.

#include <string>

namespace cli {

// Undecodable bytes come out as U+FFFD; carriage returns (the host's line breaks) as newlines.
std::string Cp936ToUtf8(const std::string& bytes);

}  // namespace cli
