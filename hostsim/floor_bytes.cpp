#include "hostsim/floor_bytes.h"

#include <atomic>
#include <string_view>

#include "hostsim/image/rect.h"
#include "hostsim/world_store.h"

namespace hostsim {
namespace {

std::atomic<std::uint64_t> floor_bytes{0};

const World* WorldOf(const void* identity) {
  return static_cast<const World*>(identity);
}

image::Box RectOr(const std::optional<PF_Rect>& rect, const World& world) {
  return image::RectOr(rect ? &*rect : nullptr, world);
}

std::uint64_t Pixels(const image::Box& box) {
  return box.empty() ? 0 : static_cast<std::uint64_t>(box.width() * box.height());
}

std::uint64_t WholeBytes(const World& world) {
  return Pixels(image::WholeOf(world)) * PixelSize(world.depth);
}

}  // namespace

std::uint64_t FloorBytesOf(const HostCall& call) {
  using image::Intersect;
  using image::WholeOf;
  const std::string_view op = call.op;
  if (op == "AEGP_New" || op == "PF_NewWorld") {
    const auto depth = DepthOfWorldType(call.world_type);
    if (!depth || call.width <= 0 || call.height <= 0) return 0;
    return static_cast<std::uint64_t>(call.width) * static_cast<std::uint64_t>(call.height) *
           PixelSize(*depth);
  }
  // Only calls that move pixels are looked into: the others' worlds may be gone by now (a
  // dispose has freed its world when the call succeeds).
  const bool fill = op == "fill" || op == "fill16" || op == "fill_float" || op == "utils_fill";
  const bool moves_pixels = fill || op == "AEGP_FastBlur" || op == "premultiply" ||
                            op.substr(0, 7) == "iterate" || op == "copy" || op == "copy_hq" ||
                            op == "transfer_rect";
  const World* source = WorldOf(call.src_world);
  const World* destination = WorldOf(call.dst_world);
  if (!moves_pixels || destination == nullptr) return 0;
  const std::uint64_t pixel_size = PixelSize(destination->depth);
  if (op == "AEGP_FastBlur") return call.radius > 0.0 ? 2 * WholeBytes(*destination) : 0;
  if (op == "premultiply") return 2 * WholeBytes(*destination);
  if (fill) {
    return Pixels(Intersect(RectOr(call.dst_rect, *destination), WholeOf(*destination))) *
           pixel_size;
  }
  if (op.substr(0, 7) == "iterate") {
    image::Box area = Intersect(RectOr(call.dst_rect, *destination), WholeOf(*destination));
    if (source != nullptr) area = Intersect(area, WholeOf(*source));
    return 2 * Pixels(area) * pixel_size;
  }
  if (source == nullptr) return 0;
  if (op == "copy" || op == "copy_hq") {
    const image::Box read = Intersect(RectOr(call.src_rect, *source), WholeOf(*source));
    const image::Box written =
        Intersect(RectOr(call.dst_rect, *destination), WholeOf(*destination));
    return (Pixels(read) + Pixels(written)) * pixel_size;
  }
  if (op == "transfer_rect") {
    const image::Box from = RectOr(call.src_rect, *source);
    const image::Box written =
        Intersect(image::Offset(Intersect(from, WholeOf(*source)), call.dest_x - from.left,
                                call.dest_y - from.top),
                  WholeOf(*destination));
    return 3 * Pixels(written) * pixel_size;
  }
  return 0;
}

void AddFloorBytes(std::uint64_t bytes) {
  floor_bytes.fetch_add(bytes, std::memory_order_relaxed);
}

std::uint64_t FloorBytes() {
  return floor_bytes.load();
}

void ResetFloorBytes() {
  floor_bytes.store(0);
}

}  // namespace hostsim
