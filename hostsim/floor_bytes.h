#pragma once
// The least memory traffic the image services' calls imply: the bytes each call must at least
// read and write (a new world is written once, as it is cleared; a blur reads and writes its
// world; a transfer reads both worlds and writes one), summed over all calls since the last
// reset. Benchmarks divide it by the machine's copy bandwidth to get the floor of a frame.
// The serve wrapper counts it from each call's record, so the kernels only compute.

#include <cstdint>

#include "hostsim/host_call.h"

namespace hostsim {

// The bytes a successful call implies, from its worlds and rectangles (0 for calls that move
// no pixels).
std::uint64_t FloorBytesOf(const HostCall& call);

void AddFloorBytes(std::uint64_t bytes);
std::uint64_t FloorBytes();
void ResetFloorBytes();

}  // namespace hostsim
