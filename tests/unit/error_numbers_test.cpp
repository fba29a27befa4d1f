#include "files/error_numbers.h"

#include <gtest/gtest.h>

namespace kelvor::files {
namespace {

TEST(ErrorMessage, GivesTheTextOfEachNumber) {
  EXPECT_EQ(ErrorMessage(61), "Disk full");
  EXPECT_EQ(ErrorMessage(0), "No Error");
  EXPECT_EQ(ErrorMessage(75), "Path/file access error");
  EXPECT_EQ(ErrorMessage(9), "Subscript/Pointer out of range");
  EXPECT_EQ(ErrorMessage(98), "XPrint Preview error");
  EXPECT_EQ(ErrorMessage(242), "String space corrupt");
}

TEST(ErrorMessage, NumbersWithoutARowGiveEmptyTextAndOutOfRangeCountsAsZero) {
  EXPECT_EQ(ErrorMessage(8), "");
  EXPECT_EQ(ErrorMessage(255), "");
  EXPECT_EQ(ErrorMessage(1), "");
  EXPECT_EQ(ErrorMessage(300), "No Error");
  EXPECT_EQ(ErrorMessage(256), "No Error");
  EXPECT_EQ(ErrorMessage(-1), "No Error");
}

TEST(MapOsError, FollowsTheTableForLowCodes) {
  EXPECT_EQ(MapOsError(0), 0);
  EXPECT_EQ(MapOsError(2), 53);
  EXPECT_EQ(MapOsError(18), 53);
  EXPECT_EQ(MapOsError(3), 76);
  EXPECT_EQ(MapOsError(5), 70);
  EXPECT_EQ(MapOsError(19), 70);
  EXPECT_EQ(MapOsError(32), 70);
  EXPECT_EQ(MapOsError(36), 70);
  EXPECT_EQ(MapOsError(6), 57);
  EXPECT_EQ(MapOsError(7), 241);
  EXPECT_EQ(MapOsError(10), 241);
  EXPECT_EQ(MapOsError(14), 7);
  EXPECT_EQ(MapOsError(24), 51);
  EXPECT_EQ(MapOsError(15), 68);
  EXPECT_EQ(MapOsError(20), 68);
  EXPECT_EQ(MapOsError(17), 74);
  EXPECT_EQ(MapOsError(21), 71);
  EXPECT_EQ(MapOsError(23), 72);
  EXPECT_EQ(MapOsError(25), 72);
  EXPECT_EQ(MapOsError(35), 72);
  EXPECT_EQ(MapOsError(37), 75);
  EXPECT_EQ(MapOsError(38), 62);
}

TEST(MapOsError, FullDiskInvalidParameterAndTheRestAbove39) {
  EXPECT_EQ(MapOsError(39), 61);
  EXPECT_EQ(MapOsError(112), 61);
  EXPECT_EQ(MapOsError(87), 5);
  EXPECT_EQ(MapOsError(40), 75);
  EXPECT_EQ(MapOsError(145), 75);
  EXPECT_EQ(MapOsError(183), 75);
  EXPECT_EQ(MapOsError(0xFFFFFFFFu), 75);
}

}  // namespace
}  // namespace kelvor::files
