// The Windows program's entry.
#include <windows.h>

#include "app/start_up.h"
#include "command_line/command_line.h"
#include "platform/os_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // No DLL is ever loaded from the current folder.
  SetDllDirectoryW(L"");
  return kelvor::app::StartProgram(
      kelvor::command_line::CommandTail(kelvor::os::ProgramCommandLine()));
}
