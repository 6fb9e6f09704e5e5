#pragma once
// Where a kernel reads its source pixels from: the world itself, or a private snapshot of
// the region it reads when that region overlaps what the kernel writes in the same world.
// The snapshot makes an overlapping copy behave as if the source were read whole first.

#include <cstddef>
#include <cstring>
#include <memory>

#include "hostsim/image/rect.h"
#include "hostsim/world_store.h"

namespace hostsim::image {

class PixelSource {
 public:
  // `read` is the box of source pixels the kernel will read, `written` the box it will
  // write in `destination`; both already clipped to their worlds.
  PixelSource(const World& source, const Box& read, const World& destination, const Box& written)
      : pixel_size_(PixelSize(source.depth)) {
    if (&source != &destination || Intersect(read, written).empty()) {
      base_ = source.row(0);
      rowbytes_ = source.effect_world.rowbytes;
      return;
    }
    rowbytes_ = static_cast<std::ptrdiff_t>(read.width()) * pixel_size_;
    snapshot_ = std::make_unique<std::byte[]>(rowbytes_ * read.height());
    for (std::int64_t y = read.top; y < read.bottom; ++y) {
      std::memcpy(snapshot_.get() + (y - read.top) * rowbytes_,
                  source.row(static_cast<A_long>(y)) + read.left * pixel_size_, rowbytes_);
    }
    base_ = snapshot_.get();
    left_ = read.left;
    top_ = read.top;
  }

  // The source pixel at (x, y) of the source world; (x, y) must lie in the read box.
  template <class Pixel>
  const Pixel* at(std::int64_t x, std::int64_t y) const {
    return reinterpret_cast<const Pixel*>(base_ + (y - top_) * rowbytes_) + (x - left_);
  }

 private:
  std::size_t pixel_size_;
  std::unique_ptr<std::byte[]> snapshot_;
  const std::byte* base_ = nullptr;  // the pixel at (left_, top_)
  std::ptrdiff_t rowbytes_ = 0;
  std::int64_t left_ = 0, top_ = 0;
};

}  // namespace hostsim::image
