// Drives as folders, for the Linux program's command line: the folder that a
// drive letter stands for, and the letter that a folder stands for. Only the
// POSIX implementation has these, and only the Linux program's main includes
// them from outside this folder; the Windows program has no use for them.
#pragma once

#include <optional>
#include <string>

namespace kelvor::os {

// Why KELVOR_DRIVES, when set, maps no drive at all; nothing when it is
// not set or is a map.
std::optional<std::string> DriveMapProblem();

// The mount point of a drive ('d' or 'D') in the current drive map.
std::optional<std::string> MountPointOfDrive(char letter);

// The letter of the drive whose mount point is the folder `path`, compared
// with symbolic links resolved.
std::optional<char> LetterOfMountPoint(const std::string& path);

}  // namespace kelvor::os
