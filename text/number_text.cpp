#include "text/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kelvor::text {
namespace {

// Far more digits than a double holds, so that cutting them is exact.
constexpr int kExpansionDigits = 40;
constexpr int kInfinityExponent = 998;

struct Decimal {
  std::string digits;  // significant digits, the first one not zero
  int exponent;        // of the first digit: value = d.ddd × 10^exponent
};

Decimal Expand(double magnitude) {
  char text[64];
  auto result = std::to_chars(std::begin(text), std::end(text), magnitude,
                              std::chars_format::scientific, kExpansionDigits);
  std::string expanded(text, result.ptr);
  std::size_t e = expanded.find('e');
  Decimal decimal{expanded.substr(0, 1) + expanded.substr(2, e - 2),
                  std::atoi(expanded.c_str() + e + 1)};
  return decimal;
}

// Cuts to `digits` significant digits looking only at the next digit: above 5
// rounds up, below down, exactly 5 to an even last digit.
void CutToDigits(Decimal& decimal, int digits) {
  char next = decimal.digits[digits];
  decimal.digits.resize(digits);
  bool odd = (decimal.digits.back() - '0') % 2 == 1;
  if (next > '5' || (next == '5' && odd)) {
    int i = digits - 1;
    while (i >= 0 && decimal.digits[i] == '9') decimal.digits[i--] = '0';
    if (i >= 0) {
      ++decimal.digits[i];
    } else {  // the carry rippled through: 9.99 becomes 10
      decimal.digits.insert(decimal.digits.begin(), '1');
      decimal.digits.pop_back();
      ++decimal.exponent;
    }
  }
  while (decimal.digits.size() > 1 && decimal.digits.back() == '0') decimal.digits.pop_back();
}

std::string Scientific(const Decimal& decimal) {
  std::string text = decimal.digits.substr(0, 1);
  if (decimal.digits.size() > 1) text += "." + decimal.digits.substr(1);
  text += decimal.exponent < 0 ? "E-" : "E+";
  return text + std::to_string(std::abs(decimal.exponent));
}

std::string Plain(const Decimal& decimal) {
  int count = static_cast<int>(decimal.digits.size());
  if (decimal.exponent < 0) {
    return "." + std::string(-decimal.exponent - 1, '0') + decimal.digits;
  }
  int whole = decimal.exponent + 1;
  if (count <= whole) return decimal.digits + std::string(whole - count, '0');
  return decimal.digits.substr(0, whole) + "." + decimal.digits.substr(whole);
}

}  // namespace

std::string NumberText(double value, int digits) {
  if (std::isnan(value) || value == 0 || std::fpclassify(value) == FP_SUBNORMAL) return " 0";
  std::string sign = value < 0 ? "-" : " ";
  if (std::isinf(value)) {
    return sign + "9." + std::string(digits - 1, '9') + "E+" + std::to_string(kInfinityExponent);
  }
  Decimal decimal = Expand(std::fabs(value));
  CutToDigits(decimal, digits);

  int count = static_cast<int>(decimal.digits.size());
  bool too_many_whole_digits = decimal.exponent >= digits;
  bool too_many_fraction_digits = decimal.exponent < 0 && -decimal.exponent - 1 + count > digits;
  if (too_many_whole_digits || too_many_fraction_digits) return sign + Scientific(decimal);
  return sign + Plain(decimal);
}

double RoundToDecimals(double value, int decimals) {
  if (std::isnan(value) || std::isinf(value)) return value;
  long double scale = std::pow(10.0L, decimals);
  return static_cast<double>(std::nearbyint(static_cast<long double>(value) * scale) / scale);
}

}  // namespace kelvor::text
