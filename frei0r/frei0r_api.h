#pragma once
// The frei0r interface header. It declares its functions without C linkage, so it is
// included here in an extern "C" block: the hosts look the functions up by their C names.

extern "C" {
#include <frei0r.h>
}
