// Whether this program runs under Wine, whose answers about devices and
// caches are its own (ntdll exports wine_get_version there).
#pragma once

#include <windows.h>

namespace kelvor::os {

inline bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace kelvor::os
