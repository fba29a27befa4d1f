// Windows-style name matching for directory searches.
#pragma once

#include <string_view>

namespace kelvor::os {

// "*" matches any run of characters, "?" any one; letters match without regard
// to case, as on Windows. "*.*" matches every name, with or without a dot.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

}  // namespace kelvor::os
