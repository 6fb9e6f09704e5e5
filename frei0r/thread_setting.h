#pragma once
// The frei0r interface passes no thread count, so the host application's setting is the
// environment's VELMORA_THREADS, as for the velmora command.

namespace frei0r_glow {

// Gives the image services' pool its thread count before it first runs; a setting that is
// not a count is said on stderr and one thread per core is used.
void ApplyThreadSetting();

}  // namespace frei0r_glow
