#pragma once
// How much memory a frame will take, known from a file's header before its pixels are read,
// and how much the run may use.

#include <cstdint>
#include <optional>
#include <string>

#include "cli/image/image.h"
#include "hostsim/world_store.h"

namespace CLI {
class App;
}

namespace cli {

// The pixel memory a render of a width x height layer holds at its peak at this depth, as the
// host's pixel pool counts it: the input and output worlds and the effect's source world at
// the frame's size; its glow, source-copy and level worlds at the size grown by
// repeat_edges_pad; and the host's blur scratch (a float copy of the blurred world at integer
// depths, and line buffers for each thread). With `overlapped`, also the next frame's input
// and the last frame's input and output, which a sequence reads and writes while the frame
// renders. With `keyed`, also the copy of the frame a highlights threshold renders instead.
std::uint64_t RenderMemory(int width, int height, hostsim::Depth depth, int repeat_edges_pad = 0,
                           bool overlapped = false, bool keyed = false);

// The bytes a file part's pixels take as read, from its header (a 10-bit DPX packs its samples).
std::uint64_t DeclaredBytes(const OIIO::ImageSpec& spec);

// Throws CliError naming name when rendering the source's layer at this depth and pad, with
// its parts as read (twice with overlapped: a written frame waits behind this one), needs more
// than max_memory allows, or, without it, more than this machine has.
void CheckFrameMemory(const std::string& name, const SourceImage& source, hostsim::Depth depth,
                      int repeat_edges_pad, bool overlapped, bool keyed,
                      const std::optional<std::uint64_t>& max_memory);

// The physical memory of this machine (or the address-space limit, when lower).
std::uint64_t MachineMemory();

// "512M", "8G", "1.5T", "4096" (bytes); nullopt for anything else.
std::optional<std::uint64_t> ParseMemorySize(const std::string& text);

// --max-memory's value as given (empty: not given, the machine's memory applies). Throws
// CliError (usage) for text that is not a size.
std::optional<std::uint64_t> MaxMemoryFlag(const std::string& text);

// Declares --max-memory on a command that renders frames; MaxMemoryFlag reads its value.
void AddMaxMemoryOption(CLI::App& command, std::string& value);

// "3.2 GB"
std::string MemoryText(std::uint64_t bytes);

}  // namespace cli
