// How the program writes numbers for people, and how it rounds them.
#pragma once

#include <cstdint>
#include <string>

namespace kelvor::text {

inline constexpr std::uint64_t kBytesPerGigabyte = 1073741824;  // 2^30
inline constexpr double kBytesPerMegabyte = 1048576.0;          // 2^20, the MB of the rate texts

inline constexpr int kDoubleDigits = 15;  // significant digits of a double
inline constexpr int kSingleDigits = 7;   // significant digits of a single

// A blank (or "-") first, at most `digits` significant digits, no trailing
// zeros, no zero before the point (" .5"), scientific form (" 1E+15") when the
// plain form would need more digits. Infinity gives " 9.99999999999999E+998";
// not-a-number, zero, negative zero and denormal values give " 0".
std::string NumberText(double value, int digits = kDoubleDigits);

// Rounds to n decimals, exact halves to the even neighbour, computed in
// extended precision. Infinity and not-a-number stay as they are.
double RoundToDecimals(double value, int decimals);

}  // namespace kelvor::text
