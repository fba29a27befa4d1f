// The Windows program's entry.
#include <windows.h>

#include "platform/os_window.h"
#include "ui/command_line.h"
#include "ui/start_up.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // No DLL is ever loaded from the current folder.
  SetDllDirectoryW(L"");
  return kelvor::ui::StartProgram(kelvor::ui::CommandTail(kelvor::os::ProgramCommandLine()));
}
