// Offers the image services' suites to the effect under the names and versions it asks for.

#include "hostsim/image/image_suites.h"
#include "hostsim/image_services.h"
#include "hostsim/suite_registry.h"

namespace hostsim {

void RegisterImageSuites(SuiteRegistry& registry) {
  registry.Add(kAEGPWorldSuite, kAEGPWorldSuiteVersion3, &image::AegpWorldSuite3());
  registry.Add(kPFWorldSuite, kPFWorldSuiteVersion2, &image::PfWorldSuite2());
  registry.Add(kPFWorldTransformSuite, kPFWorldTransformSuiteVersion1,
               &image::WorldTransformSuite1());
  registry.Add(kPFFillMatteSuite, kPFFillMatteSuiteVersion2, &image::FillMatteSuite2());
  registry.Add(kPFIterate8Suite, kPFIterate8SuiteVersion1, &image::Iterate8Suite1());
  registry.Add(kPFIterate16Suite, kPFIterate16SuiteVersion1, &image::Iterate16Suite1());
  registry.Add(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, &image::IterateFloatSuite1());
}

}  // namespace hostsim
