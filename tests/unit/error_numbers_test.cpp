#include "files/error_numbers.h"

#include <gtest/gtest.h>

namespace kelvor::files {
namespace {

TEST(ErrorMessage, NumbersWithoutARowGiveEmptyTextAndOutOfRangeCountsAsZero) {
  const std::pair<int, const char*> cases[] = {
      {0, "No Error"}, {61, "Disk full"}, {242, "String space corrupt"},  // the last row
      {8, ""},         {255, ""},         {256, "No Error"},
      {-1, "No Error"}};
  for (auto [number, text] : cases) EXPECT_EQ(ErrorMessage(number), text) << number;
}

// Below 40 the table decides; above it only a full disk and an invalid
// parameter have numbers of their own, everything else is 75.
TEST(MapOsError, TheTableBelow40AndTwoCodesAbove) {
  const std::pair<os::WinError, int> cases[] = {{0, 0},   {2, 53},   {3, 76},          {5, 70},
                                                {19, 70}, {39, 61},  {112, 61},        {87, 5},
                                                {40, 75}, {183, 75}, {0xFFFFFFFFu, 75}};
  for (auto [code, number] : cases) EXPECT_EQ(MapOsError(code), number) << code;
}

}  // namespace
}  // namespace kelvor::files
