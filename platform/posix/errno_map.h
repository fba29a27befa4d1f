// Translation of errno values to the Windows error code that Windows reports
// in the same situation.
#pragma once

#include "platform/win_errors.h"

namespace kelvor::os {

WinError TranslateErrno(int error);

}  // namespace kelvor::os
