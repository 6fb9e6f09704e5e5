#pragma once
// The row loop of the image kernels: rows spread over the cores once the area is large enough
// to pay for a thread team.

#include <cstdint>

namespace hostsim::image {

template <class Row>
void ForEachRow(std::int64_t rows, std::int64_t columns, Row&& row) {
  constexpr std::int64_t kParallelPixels = 1 << 16;
#pragma omp parallel for schedule(static) if (rows * columns >= kParallelPixels)
  for (std::int64_t j = 0; j < rows; ++j) row(j);
}

}  // namespace hostsim::image
