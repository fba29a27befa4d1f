#include <gtest/gtest.h>

#include "engine/free_space.h"

namespace kelvor::engine {
namespace {

constexpr std::uint64_t kGiB = 1073741824;

TEST(FreeSpaceSuffix, GigabytesFromOneUp) {
  EXPECT_EQ(FreeSpaceSuffix(13255987062), "    12.35 GB Free");  // 12.3456 GiB
  EXPECT_EQ(FreeSpaceSuffix(kGiB), "    1 GB Free");
  EXPECT_EQ(FreeSpaceSuffix(2 * kGiB + kGiB / 2), "    2.5 GB Free");
  EXPECT_EQ(FreeSpaceSuffix(1000 * kGiB), "    1000 GB Free");
  EXPECT_EQ(FreeSpaceSuffix(123456 * kGiB), "    123456 GB Free");
  EXPECT_EQ(FreeSpaceSuffix(kGiB + kGiB / 200), "    1 GB Free");  // 1.005: halves to even
}

TEST(FreeSpaceSuffix, MegabytesBelowOneGigabyte) {
  EXPECT_EQ(FreeSpaceSuffix(kGiB / 2), "    500 MB Free");
  EXPECT_EQ(FreeSpaceSuffix(kGiB / 4), "    250 MB Free");
  EXPECT_EQ(FreeSpaceSuffix(0), "    0 MB Free");
  EXPECT_EQ(FreeSpaceSuffix(1), "    0 MB Free");
  // 0.996 GiB rounds to 1.00 but takes the megabyte form: the unrounded value decides.
  EXPECT_EQ(FreeSpaceSuffix(static_cast<std::uint64_t>(0.996 * kGiB)), "    996 MB Free");
  // One byte short of a gigabyte is 1.0 once stored in single precision.
  EXPECT_EQ(FreeSpaceSuffix(kGiB - 1), "    1 GB Free");
  EXPECT_EQ(FreeSpaceSuffix(kGiB - 1024 * 1024), "    999.02 MB Free");
  EXPECT_EQ(FreeSpaceSuffix(kGiB / 1000), "    1 MB Free");
}

}  // namespace
}  // namespace kelvor::engine
