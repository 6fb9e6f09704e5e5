#include "cli/image.h"

#include <stdexcept>

namespace cli {

OIIO::TypeDesc SampleTypeOf(hostsim::Depth depth) {
  switch (depth) {
    case hostsim::Depth::k8:
      return OIIO::TypeDesc::UINT8;
    case hostsim::Depth::k16:
      return OIIO::TypeDesc::UINT16;
    case hostsim::Depth::k32:
      return OIIO::TypeDesc::FLOAT;
  }
  throw std::logic_error("unknown depth");
}

hostsim::Depth DepthOf(OIIO::TypeDesc sample_type) {
  if (sample_type == OIIO::TypeDesc::UINT8) return hostsim::Depth::k8;
  if (sample_type == OIIO::TypeDesc::UINT16) return hostsim::Depth::k16;
  if (sample_type == OIIO::TypeDesc::FLOAT) return hostsim::Depth::k32;
  throw std::logic_error("no host depth holds samples of type " + std::string(sample_type.c_str()));
}

hostsim::Depth NaturalDepth(OIIO::TypeDesc file_type) {
  if (file_type.is_floating_point()) return hostsim::Depth::k32;
  if (file_type.basetype == OIIO::TypeDesc::UINT8 || file_type.basetype == OIIO::TypeDesc::INT8) {
    return hostsim::Depth::k8;
  }
  return hostsim::Depth::k16;
}

}  // namespace cli
