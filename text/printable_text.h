// Text from outside the program (mount points, the user's own words) as a
// terminal may show it: a newline or an escape sequence in a folder's name
// must not make a false line, move the cursor or change colours.
#pragma once

#include <string>
#include <string_view>

namespace kelvor::text {

// Control characters (and DEL) become octal escapes, "\012" for a newline,
// as the kernel writes them in the mount table; a backslash stays itself.
std::string PrintableText(std::string_view text);

}  // namespace kelvor::text
