// The command tail and its arguments, as start-up reads them.
#pragma once

#include <string>
#include <string_view>

#include "engine/run.h"
#include "files/blanks.h"

namespace kelvor::command_line {

// The command line without the program name (which ends at its closing quote,
// or at the first character of code 32 or below) and the blanks after it.
std::string CommandTail(std::string_view command_line);

// Argument n (from 1): items are separated by blanks (code 32 only); a quoted
// item runs to the next quote and loses its quotes; "" is skipped. Empty when
// there are fewer than n items.
std::string Argument(std::string_view tail, int n);

// The letter that argument 1 names: its first character, or its second when
// it holds a double quote anywhere, upper-cased; 0 for an empty argument.
char RequestedDriveLetter(std::string_view first_argument);

// "/0" anywhere selects Blocks of Binary Data, "/B" (capital only) All 0's
// and decides when both appear; otherwise All 1's. Scripts written for this
// program rely on these meanings.
engine::WipeType WipeTypeFromOptions(std::string_view tail);

// The tail without leading and trailing blanks (code 32 only).
using files::TrimBlanks;

}  // namespace kelvor::command_line
