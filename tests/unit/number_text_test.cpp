#include "engine/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kelvor::engine {
namespace {

TEST(NumberText, BlankOrMinusFirstAndNoZeroBeforeThePoint) {
  EXPECT_EQ(NumberText(12.5), " 12.5");
  EXPECT_EQ(NumberText(0.5), " .5");
  EXPECT_EQ(NumberText(0.05), " .05");
  EXPECT_EQ(NumberText(-0.25), "-.25");
  EXPECT_EQ(NumberText(-1.5), "-1.5");
  EXPECT_EQ(NumberText(100), " 100");
  EXPECT_EQ(NumberText(0.1), " .1");
  EXPECT_EQ(NumberText(0.30000000000000004), " .3");
}

TEST(NumberText, ZeroNotANumberNegativeZeroAndDenormalsAreZero) {
  EXPECT_EQ(NumberText(0), " 0");
  EXPECT_EQ(NumberText(-0.0), " 0");
  EXPECT_EQ(NumberText(std::nan("")), " 0");
  EXPECT_EQ(NumberText(std::numeric_limits<double>::denorm_min()), " 0");
  EXPECT_EQ(NumberText(-std::numeric_limits<double>::denorm_min()), " 0");
}

TEST(NumberText, InfinityHasItsOwnText) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  EXPECT_EQ(NumberText(kInfinity), " 9.99999999999999E+998");
  EXPECT_EQ(NumberText(-kInfinity), "-9.99999999999999E+998");
  EXPECT_EQ(NumberText(kInfinity, kSingleDigits), " 9.999999E+998");
}

TEST(NumberText, FifteenDigitsPlainAndMoreInScientificForm) {
  EXPECT_EQ(NumberText(123456789012345), " 123456789012345");
  EXPECT_EQ(NumberText(1e14), " 100000000000000");
  EXPECT_EQ(NumberText(1e15), " 1E+15");
  EXPECT_EQ(NumberText(1234567890123456), " 1.23456789012346E+15");
  EXPECT_EQ(NumberText(1.5e-16), " 1.5E-16");
  EXPECT_EQ(NumberText(1e-15), " .000000000000001");
  EXPECT_EQ(NumberText(1.5e-15), " 1.5E-15");
  EXPECT_EQ(NumberText(1e-300), " 1E-300");
  EXPECT_EQ(NumberText(std::numeric_limits<double>::max()), " 1.79769313486232E+308");
  EXPECT_EQ(NumberText(-2.5e20), "-2.5E+20");
}

TEST(NumberText, OnlyTheDigitAfterTheLastOneDecidesTheRounding) {
  EXPECT_EQ(NumberText(123456789012345.5), " 123456789012346");  // 5 after an odd digit
  EXPECT_EQ(NumberText(123456789012344.5), " 123456789012344");  // 5 after an even digit
  EXPECT_EQ(NumberText(1234567.5, kSingleDigits), " 1234568");
  EXPECT_EQ(NumberText(1234568.5, kSingleDigits), " 1234568");
  // Ordinary rounding would give 1.000001: the digits after the 5 do not count.
  EXPECT_EQ(NumberText(1.00000051, kSingleDigits), " 1");
  EXPECT_EQ(NumberText(1.00000061, kSingleDigits), " 1.000001");
}

TEST(NumberText, ACarryCanRippleIntoANewDigit) {
  EXPECT_EQ(NumberText(9.999999999999999), " 10");
  EXPECT_EQ(NumberText(999999999999999.9), " 1E+15");
  EXPECT_EQ(NumberText(0.09999999999999999), " .1");
  EXPECT_EQ(NumberText(9.9999996, kSingleDigits), " 10");
}

TEST(NumberText, SingleValuesWithSevenDigits) {
  EXPECT_EQ(NumberText(static_cast<double>(0.1f), kSingleDigits), " .1");
  EXPECT_EQ(NumberText(12.3456, kSingleDigits), " 12.3456");
  EXPECT_EQ(NumberText(12345678, kSingleDigits), " 1.234568E+7");
}

TEST(RoundToDecimals, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundToDecimals(2.5, 0), 2);
  EXPECT_EQ(RoundToDecimals(3.5, 0), 4);
  EXPECT_EQ(RoundToDecimals(-2.5, 0), -2);
  EXPECT_EQ(RoundToDecimals(0.125, 2), 0.12);
  EXPECT_EQ(RoundToDecimals(0.375, 2), 0.38);
  EXPECT_EQ(RoundToDecimals(12.5, 2), 12.5);
  EXPECT_EQ(RoundToDecimals(59.96, 1), 60);
  EXPECT_EQ(RoundToDecimals(1.26, 1), 1.3);
}

TEST(RoundToDecimals, InfinityAndNotANumberStay) {
  EXPECT_TRUE(std::isinf(RoundToDecimals(std::numeric_limits<double>::infinity(), 2)));
  EXPECT_TRUE(std::isnan(RoundToDecimals(std::nan(""), 1)));
}

}  // namespace
}  // namespace kelvor::engine
