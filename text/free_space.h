// A drive as the drive selector (and the Linux listing) shows it.
#pragma once

#include <cstdint>
#include <string>

#include "drives/drive_list.h"

namespace kelvor::text {

// "    12.35 GB Free" or "    500 MB Free" (three blanks, then the number text
// with its own): gigabytes from 1.0 up, megabytes below, chosen on the
// unrounded value, rounded to 2 decimals, 7 digits.
std::string FreeSpaceSuffix(std::uint64_t free_bytes);

// "C:\    Fixed Drive    12.35 GB Free": the drive list's line and the suffix.
std::string DriveEntryText(const drives::Drive& drive);

}  // namespace kelvor::text
