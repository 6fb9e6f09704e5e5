#pragma once
// How much memory a frame will take, known from a file's header before its pixels are read,
// and how much the run may use.

#include <cstdint>
#include <optional>
#include <string>

#include "hostsim/world_store.h"

namespace cli {

// The worlds a render of a width x height layer keeps alive at once at this depth: the input
// and output worlds, the effect's working worlds and the host's blur scratch; with
// `overlapped`, also the next frame's input and the last frame's input and output, which a
// sequence reads and writes while the frame renders.
std::uint64_t RenderMemory(int width, int height, hostsim::Depth depth, bool overlapped = false);

// The physical memory of this machine (or the address-space limit, when lower).
std::uint64_t MachineMemory();

// "512M", "8G", "1.5T", "4096" (bytes); nullopt for anything else.
std::optional<std::uint64_t> ParseMemorySize(const std::string& text);

// "3.2 GB"
std::string MemoryText(std::uint64_t bytes);

}  // namespace cli
