#include "engine/slice_pace.h"

#include <algorithm>

namespace kelvor::engine {

std::size_t SlicePace::Next(std::uint64_t file_offset, std::size_t left) const {
  std::uint64_t end = (file_offset + bytes_) / kSliceAlignment * kSliceAlignment;
  return static_cast<std::size_t>(std::min<std::uint64_t>(left, end - file_offset));
}

void SlicePace::Took(std::size_t bytes, double seconds) {
  // A chunk's short last slice tells little of the pace.
  if (bytes < kSliceAlignment) return;
  double aimed = seconds > 0 ? bytes / seconds * kSliceSeconds : double{kLargestSlice};
  // Growth is doubling at most: a cache that takes the first slices at once
  // does not make the next one too long for the device behind it.
  aimed = std::min({aimed, 2.0 * bytes_, double{kLargestSlice}});
  bytes_ = std::max(static_cast<std::size_t>(aimed) / kSliceAlignment * kSliceAlignment,
                    kSliceAlignment);
}

}  // namespace kelvor::engine
