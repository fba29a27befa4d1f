// Rules for the names that the file-access layer accepts.
#pragma once

#include <cstddef>
#include <string_view>

namespace kelvor::files {

// Longer file and folder names are cut to this many characters.
inline constexpr std::size_t kMaxNameLength = 255;

inline bool HasWildcard(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

}  // namespace kelvor::files
