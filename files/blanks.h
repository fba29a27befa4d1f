// Blanks (code 32 only, never tabs) around a text: the command tail and the
// registry's values lose them.
#pragma once

#include <string_view>

namespace kelvor::files {

inline constexpr char kBlank = ' ';

inline std::string_view TrimBlanks(std::string_view text) {
  std::size_t first = text.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

}  // namespace kelvor::files
