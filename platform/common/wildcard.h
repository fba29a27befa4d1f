// Windows-style name matching for directory searches, for 8-bit and wide
// names alike.
#pragma once

#include <cctype>
#include <cwctype>
#include <string_view>

namespace kelvor::os {

inline bool SameLetter(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

inline bool SameLetter(wchar_t a, wchar_t b) {
  return std::towlower(static_cast<wint_t>(a)) == std::towlower(static_cast<wint_t>(b));
}

// "*" matches any run of characters, "?" any one; letters match without regard
// to case, as on Windows. "*.*" matches every name, with or without a dot.
template <typename Char>
bool MatchesWildcard(std::basic_string_view<Char> name, std::basic_string_view<Char> pattern) {
  constexpr Char kStar = '*', kAny = '?', kDot = '.';
  if (pattern.size() == 3 && pattern[0] == kStar && pattern[1] == kDot && pattern[2] == kStar) {
    return true;
  }
  // Iterative matching with one backtrack point for the last "*" seen.
  std::size_t n = 0, p = 0;
  std::size_t star = std::basic_string_view<Char>::npos, star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == kAny || SameLetter(pattern[p], name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == kStar) {
      star = p++;
      star_n = n;
    } else if (star != std::basic_string_view<Char>::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == kStar) ++p;
  return p == pattern.size();
}

inline bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  return MatchesWildcard<char>(name, pattern);
}

inline bool MatchesWildcard(std::wstring_view name, std::wstring_view pattern) {
  return MatchesWildcard<wchar_t>(name, pattern);
}

}  // namespace kelvor::os
