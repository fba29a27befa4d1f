// The seam's window handle as the Win32 calls take it.
#pragma once

#include <windows.h>

#include "platform/os_window.h"

namespace kelvor::os {

inline HWND AsWindow(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}

}  // namespace kelvor::os
