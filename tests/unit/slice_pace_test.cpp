#include "engine/slice_pace.h"

#include <gtest/gtest.h>

namespace kelvor::engine {
namespace {

constexpr std::size_t kMebibyte = 1 << 20;
constexpr std::size_t kChunk = 107374182;  // a gigabyte part's chunk

// On a fast device the slices grow until a chunk goes whole; on a slow one
// they shrink to a mebibyte, so that pump steps come about every quarter
// second whatever the device's pace.
TEST(SlicePace, SlicesFollowTheDevicesPaceBetweenAMebibyteAndAWholeChunk) {
  SlicePace pace;
  EXPECT_EQ(pace.Next(0, kChunk), kMebibyte);
  for (int slice = 0; slice < 8; ++slice) pace.Took(pace.Next(0, kChunk), 0.001);
  EXPECT_EQ(pace.Next(0, kChunk), kChunk);

  for (int slice = 0; slice < 10; ++slice) pace.Took(pace.Next(0, kChunk), 2.0);
  EXPECT_EQ(pace.Next(0, kChunk), kMebibyte);
  pace.Took(kMebibyte, 0.25);  // on the aim: the pace stays
  EXPECT_EQ(pace.Next(0, kChunk), kMebibyte);
}

// A slice ends where direct writes stay aligned, and a chunk's short last
// slice, quick as it is, says nothing of the pace.
TEST(SlicePace, SlicesEndAtWholeMebibytesAndAShortLastSliceTellsNothing) {
  SlicePace pace;
  pace.Took(kMebibyte, 0.001);
  pace.Took(2 * kMebibyte, 0.001);  // now four
  std::uint64_t offset = kChunk;    // the second chunk of a file starts unaligned
  std::size_t slice = pace.Next(offset, kChunk);
  EXPECT_EQ(offset + slice, 106 * kMebibyte);  // 102.4 MiB on, and four more, cut to whole ones
  EXPECT_EQ(pace.Next(offset, 1000), 1000u);

  pace.Took(1000, 0.0001);
  EXPECT_EQ(pace.Next(0, kChunk), 4 * kMebibyte);
}

}  // namespace
}  // namespace kelvor::engine
