// Splitting the drive list text into its lines. The lines go through the
// probe file "Kelvor.tmp" in the current directory: written, read back and
// deleted. When that file already exists (it may be someone's), or cannot be
// written or read back, the text is split in memory instead, with the same
// result, and no probe file is left behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvor::drives {

inline constexpr const char* kProbeFileName = "Kelvor.tmp";

// Exactly count lines, without their CR LF.
std::vector<std::string> DriveListLines(const std::string& text, std::int16_t count);

}  // namespace kelvor::drives
