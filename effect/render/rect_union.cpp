#include "effect/render/rect_union.h"

#include <algorithm>

namespace velmora {

bool RectIsEmpty(const PF_LRect& rect) {
  return rect.left >= rect.right || rect.top >= rect.bottom;
}

void RectUnionInto(const PF_LRect& source, PF_LRect* destination) {
  if (RectIsEmpty(*destination)) {
    *destination = source;
  } else if (!RectIsEmpty(source)) {
    destination->left = std::min(destination->left, source.left);
    destination->top = std::min(destination->top, source.top);
    destination->right = std::max(destination->right, source.right);
    destination->bottom = std::max(destination->bottom, source.bottom);
  }
}

}  // namespace velmora
