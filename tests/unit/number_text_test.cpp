#include "text/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace kelvor::text {
namespace {

constexpr int D = kDoubleDigits, S = kSingleDigits;  // the digits of a double, of a single
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kTiniest = std::numeric_limits<double>::denorm_min();

TEST(NumberText, TheRulesOfTheText) {
  struct Case {
    double value;
    int digits;
    const char* text;
  };
  const Case cases[] = {
      // A blank or a minus first, no zero before the point.
      {12.5, D, " 12.5"},
      {-0.25, D, "-.25"},
      {0.30000000000000004, D, " .3"},
      {0.1f, S, " .1"},
      // Zero, not a number, negative zero and denormals are zero; infinity has its own text.
      {-0.0, D, " 0"},
      {std::nan(""), D, " 0"},
      {kTiniest, D, " 0"},
      {kInfinity, D, " 9.99999999999999E+998"},
      {-kInfinity, D, "-9.99999999999999E+998"},
      {kInfinity, S, " 9.999999E+998"},
      // The significant digits plain, more in scientific form.
      {123456789012345, D, " 123456789012345"},
      {1234567890123456, D, " 1.23456789012346E+15"},
      {1e-15, D, " .000000000000001"},
      {1.5e-15, D, " 1.5E-15"},
      {12345678, S, " 1.234568E+7"},
      // Only the digit after the last one decides the rounding (ordinary
      // rounding would give 1.000001 for 1.00000051); a carry may add a digit.
      {123456789012345.5, D, " 123456789012346"},
      {123456789012344.5, D, " 123456789012344"},
      {1234568.5, S, " 1234568"},
      {1.00000051, S, " 1"},
      {1.00000061, S, " 1.000001"},
      {9.999999999999999, D, " 10"},
      {999999999999999.9, D, " 1E+15"},
      {9.9999996, S, " 10"}};
  for (const Case& c : cases) EXPECT_EQ(NumberText(c.value, c.digits), c.text) << c.text;
}

TEST(RoundToDecimals, HalvesGoToTheEvenNeighbourAndInfinityAndNotANumberStay) {
  const std::tuple<double, int, double> cases[] = {
      {2.5, 0, 2}, {3.5, 0, 4}, {-2.5, 0, -2}, {0.125, 2, 0.12}, {59.96, 1, 60}};
  for (auto [value, decimals, rounded] : cases)
    EXPECT_EQ(RoundToDecimals(value, decimals), rounded);
  EXPECT_TRUE(std::isinf(RoundToDecimals(kInfinity, 2)));
  EXPECT_TRUE(std::isnan(RoundToDecimals(std::nan(""), 1)));
}

}  // namespace
}  // namespace kelvor::text
