// The command line's check of its drive against the drive list: the list's
// text goes through the probe file "Kelvor.tmp" in the current directory
// (written, read back line by line, deleted), and the lines read back are
// what the drive is looked up in. When that file already exists (it may be
// someone's), or cannot be written or read back, the text is split in memory
// instead, with the same result, and no probe file is left behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drives/drive_list.h"

namespace kelvor::drives {

inline constexpr const char* kProbeFileName = "Kelvor.tmp";

// One line per listed drive, without its CR LF.
std::vector<std::string> DriveListLines(const DriveList& drives);

// Whether a line of the list names the drive `letter` (upper case; 0 names none).
bool IsListedLetter(const std::vector<std::string>& lines, char letter);

}  // namespace kelvor::drives
