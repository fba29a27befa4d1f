// Translation of errno values to the Windows error code that Windows reports
// in the same situation.
#pragma once

#include <string>

#include "platform/win_errors.h"

namespace kelvor::os {

// path is the name the failed call was given; it tells a missing file (2)
// from a missing folder on the way to it (3).
WinError TranslateErrno(int error, const std::string& path = {});

}  // namespace kelvor::os
