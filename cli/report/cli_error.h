#pragma once
// The command reports the engine's one kind of failure; these are its names here.

#include "engine/error.h"

namespace cli {

using CliError = velmora::engine::Error;
using velmora::engine::Excerpt;
using velmora::engine::kExitFailure;
using velmora::engine::kExitUsage;
using velmora::engine::OneLine;
using velmora::engine::Quoted;
using velmora::engine::ShownName;

}  // namespace cli
