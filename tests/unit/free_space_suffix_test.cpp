#include <gtest/gtest.h>

#include "text/free_space.h"

namespace kelvor::text {
namespace {

constexpr std::uint64_t kGiB = 1073741824;

// Gigabytes from one up, megabytes below (1000 to the gigabyte), chosen on
// the unrounded value, rounded to two decimals, halves to even.
TEST(FreeSpaceSuffix, GigabytesFromOneUpMegabytesBelow) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {13255987062, "    12.35 GB Free"},  // 12.3456 GiB
      {kGiB, "    1 GB Free"},
      {kGiB + kGiB / 200, "    1 GB Free"},  // 1.005
      {kGiB / 4, "    250 MB Free"},
      {1, "    0 MB Free"},
      {static_cast<std::uint64_t>(0.996 * kGiB), "    996 MB Free"},  // not "1.00 GB"
      {kGiB - 1, "    1 GB Free"}};  // 1.0 once stored in single precision
  for (auto [bytes, text] : cases) EXPECT_EQ(FreeSpaceSuffix(bytes), text) << bytes;
}

}  // namespace
}  // namespace kelvor::text
