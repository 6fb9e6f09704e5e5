#pragma once
// The host's published effect interface: the one header the effect and the simulated host
// include. By default it declares the interface itself (hostapi/host_*.h, with the host's
// Windows x64 layout); built with VELMORA_USE_HOST_SDK it takes the host's official SDK
// headers instead, so the effect can only use names the host really publishes.

#ifdef VELMORA_USE_HOST_SDK

// The SDK picks its platform and its fixed-width Windows typedefs from _WINDOWS. Its other
// branches are Apple's (Carbon types) and a Linux one that GCC never selects (__LINUX__), so
// every non-Apple target takes the Windows branch: the host's x64 layout, checked below.
#if !defined(__APPLE__) && !defined(_WINDOWS)
#define _WINDOWS 1
#endif
#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "AE_EffectPixelFormat.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "AE_Macros.h"
#include "SPBasic.h"
#include "SPTypes.h"

#else

#include "hostapi/host_callbacks.h"
#include "hostapi/host_constants.h"
#include "hostapi/host_entry.h"
#include "hostapi/host_records.h"
#include "hostapi/host_suites.h"
#include "hostapi/host_types.h"
#include "hostapi/smartfx.h"

#endif

#if !defined(__APPLE__)
#include "hostapi/host_layout.h"
#endif
