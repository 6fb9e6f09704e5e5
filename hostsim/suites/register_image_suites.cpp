// Offers the image services' suites to the effect under the names and versions it asks for.

#include "hostsim/suite_registry.h"
#include "hostsim/suites/image_suites.h"
#include "hostsim/suites/suites.h"

namespace hostsim {

void RegisterImageSuites(SuiteRegistry& registry) {
  registry.Add(kAEGPWorldSuite, kAEGPWorldSuiteVersion3, &suites::AegpWorldSuite3());
  registry.Add(kPFWorldSuite, kPFWorldSuiteVersion2, &suites::PfWorldSuite2());
  registry.Add(kPFWorldTransformSuite, kPFWorldTransformSuiteVersion1,
               &suites::WorldTransformSuite1());
  registry.Add(kPFFillMatteSuite, kPFFillMatteSuiteVersion2, &suites::FillMatteSuite2());
  registry.Add(kPFIterate8Suite, kPFIterate8SuiteVersion1, &suites::Iterate8Suite1());
  registry.Add(kPFIterate16Suite, kPFIterate16SuiteVersion1, &suites::Iterate16Suite1());
  registry.Add(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, &suites::IterateFloatSuite1());
}

}  // namespace hostsim
