#pragma once
// The row loop of the image kernels: rows spread over the host's worker threads in chunks
// large enough to pay for handing them out; a small area runs on the calling thread alone.

#include <algorithm>
#include <cstdint>

#include "hostsim/parallel.h"

namespace hostsim::image {

template <class Row>
void ForEachRow(std::int64_t rows, std::int64_t columns, Row&& row) {
  constexpr std::int64_t kChunkPixels = 1 << 15;
  const std::int64_t chunk_rows =
      std::max<std::int64_t>(1, kChunkPixels / std::max<std::int64_t>(columns, 1));
  const std::int64_t chunks = (rows + chunk_rows - 1) / chunk_rows;
  auto chunk = [&](std::int64_t c, int) {
    const std::int64_t end = std::min(rows, (c + 1) * chunk_rows);
    for (std::int64_t j = c * chunk_rows; j < end; ++j) row(j);
  };
  ParallelFor(chunks, chunk);
}

}  // namespace hostsim::image
