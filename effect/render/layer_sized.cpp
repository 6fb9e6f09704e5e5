#include "effect/render/layer_sized.h"

#include <new>

namespace velmora {

A_u_char* NewLayerSized(A_u_char value) {
  return new (std::nothrow) A_u_char(value);
}

void DeleteLayerSized(void* layer_sized) {
  delete static_cast<A_u_char*>(layer_sized);
}

}  // namespace velmora
