#pragma once
// The effect session the filter's instances share. The simulated host has one current host per
// process, so every instance in a process renders through this one; each instance keeps its own
// control values and sets them before each of its frames.

#include <memory>
#include <mutex>

#include "engine/effect_session.h"

namespace frei0r_glow {

// Held while anything touches the loaded effect: frei0r hosts may call instances from
// several threads.
std::mutex& EffectLock();

// The process's effect session, loading it when no one holds it. Call with EffectLock held;
// throws velmora::engine::Error.
std::shared_ptr<velmora::engine::EffectSession> AcquireEffect();

}  // namespace frei0r_glow
