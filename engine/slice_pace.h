// How much of a chunk to write before the next pump step: about a quarter of
// a second's worth at the pace the device keeps, so that the window answers
// within a second on the slowest stick while a fast disk takes its chunks
// whole. Slices end at file offsets of whole mebibytes, where direct writes
// stay aligned.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvor::engine {

inline constexpr std::size_t kSliceAlignment = 1 << 20;
inline constexpr std::size_t kLargestSlice = std::size_t{128} << 20;  // more than a chunk
inline constexpr double kSliceSeconds = 0.25;

class SlicePace {
 public:
  // The next slice of a chunk that has `left` bytes to go, written from
  // `file_offset` on.
  std::size_t Next(std::uint64_t file_offset, std::size_t left) const;
  // What the slice just written took: the next one aims at a quarter of a
  // second at that pace.
  void Took(std::size_t bytes, double seconds);

 private:
  std::size_t bytes_ = kSliceAlignment;
};

}  // namespace kelvor::engine
