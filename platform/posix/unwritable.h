// Why a run could write nothing on a drive, in plain words for the Linux
// program's command line: only the POSIX implementation has this, and only
// the Linux program's main includes it from outside this folder.
#pragma once

#include <string>

namespace kelvor::os {

// What keeps this process from working in its folder `own_folder` at the
// mount point `root` ("the volume is mounted read-only"); empty where
// nothing there is seen to stand in the way.
std::string WhyNothingCanBeWritten(const std::string& root, const std::string& own_folder);

}  // namespace kelvor::os
