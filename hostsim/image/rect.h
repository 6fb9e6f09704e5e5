#pragma once
// Half-open rectangle helpers shared by the copy, transfer, fill and iterate services.
// Arithmetic is 64-bit so that rectangles reaching far outside a world cannot overflow.

#include <algorithm>
#include <cstdint>

#include "hostapi/host_api.h"
#include "hostsim/world_store.h"

namespace hostsim::image {

struct Box {
  std::int64_t left = 0, top = 0, right = 0, bottom = 0;

  std::int64_t width() const { return right - left; }
  std::int64_t height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
};

inline Box WholeOf(const World& world) {
  return Box{0, 0, world.width(), world.height()};
}

// The given rectangle, or the whole world when none is given.
inline Box RectOr(const PF_Rect* rect, const World& world) {
  return rect != nullptr ? Box{rect->left, rect->top, rect->right, rect->bottom} : WholeOf(world);
}

inline Box Intersect(const Box& a, const Box& b) {
  return Box{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
             std::min(a.bottom, b.bottom)};
}

inline Box Offset(const Box& box, std::int64_t dx, std::int64_t dy) {
  return Box{box.left + dx, box.top + dy, box.right + dx, box.bottom + dy};
}

}  // namespace hostsim::image
