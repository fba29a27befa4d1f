// Fuzzing the number text with any double: it must always be a short text
// that reads back as the value, to the digits it keeps.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "text/number_text.h"

namespace {

constexpr std::size_t kLongestText = 26;  // sign, 15 digits, point, "E-", exponent

void Check(double value, int digits) {
  std::string text = kelvor::text::NumberText(value, digits);
  if (text.empty() || text.size() > kLongestText) std::abort();
  if (text[0] != ' ' && text[0] != '-') std::abort();
  if (!std::isfinite(value) || value == 0 || std::fpclassify(value) == FP_SUBNORMAL) return;
  // The text keeps `digits` significant digits: it reads back within that.
  std::string number = text.substr(1);
  if (number[0] == '.') number = "0" + number;
  // Read back in extended precision: the largest doubles round up past the
  // double range.
  long double back = std::strtold(number.c_str(), nullptr) * (text[0] == '-' ? -1 : 1);
  if (std::fabs(back - value) > std::fabs(value) * std::pow(10.0L, 1 - digits)) std::abort();
  double rounded = kelvor::text::RoundToDecimals(value, digits % 4);
  if (std::isfinite(value) && !std::isfinite(rounded) && std::fabs(value) < 1e300) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(double)) return 0;
  double value;
  std::memcpy(&value, data, sizeof value);
  Check(value, kelvor::text::kDoubleDigits);
  Check(static_cast<double>(static_cast<float>(value)), kelvor::text::kSingleDigits);
  return 0;
}
