#include <windows.h>

#include <cstdio>

#include "platform/os_process.h"

namespace kelvor::os {

void EndProcess(int exit_code) {
  ExitProcess(static_cast<UINT>(exit_code));
}

namespace {

bool HasStream(DWORD which) {
  HANDLE stream = GetStdHandle(which);
  return stream != nullptr && stream != INVALID_HANDLE_VALUE;
}

}  // namespace

// A program of the window subsystem, started from a command prompt, has
// neither output nor console unless the caller redirected them.
void UseCallersConsole() {
  bool has_output = HasStream(STD_OUTPUT_HANDLE), has_errors = HasStream(STD_ERROR_HANDLE);
  if ((has_output && has_errors) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::FILE* reopened = nullptr;
  if (!has_output) freopen_s(&reopened, "CONOUT$", "w", stdout);
  if (!has_errors) freopen_s(&reopened, "CONOUT$", "w", stderr);
}

}  // namespace kelvor::os
