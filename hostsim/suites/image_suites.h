#pragma once
// The suite tables of the simulated host's image services, as the effect sees them.
// RegisterImageSuites (suites.h) offers them under their names and versions.

#include "hostapi/host_api.h"

namespace hostsim::suites {

const AEGP_WorldSuite3& AegpWorldSuite3();              // "AEGP World Suite" 3
const PF_WorldSuite2& PfWorldSuite2();                  // "PF World Suite" 2
const PF_WorldTransformSuite1& WorldTransformSuite1();  // "PF World Transform Suite" 1
const PF_FillMatteSuite2& FillMatteSuite2();            // "PF Fill Matte Suite" 2
const PF_Iterate8Suite1& Iterate8Suite1();              // "PF Iterate8 Suite" 1
const PF_Iterate16Suite1& Iterate16Suite1();            // "PF iterate16 Suite" 1
const PF_IterateFloatSuite1& IterateFloatSuite1();      // "PF iterateFloat Suite" 1

// The utility callbacks' fill, served as the Fill Matte suite's fill is, for the effect's
// own reference: color null clears, rect null is the whole world.
PF_Err UtilsFill(PF_ProgPtr effect_ref, const PF_Pixel* color, const PF_Rect* rect,
                 PF_EffectWorld* world);

}  // namespace hostsim::suites
