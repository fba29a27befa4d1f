// Driving the program's windows from another process, as a user would:
// finding them, reading controls, clicking, closing message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kelvor::test {

struct RunningProgram {
  HANDLE process = nullptr;
  DWORD process_id = 0;
};

// Starts the program (KELVOR_PROGRAM) with the arguments, quoted as given.
RunningProgram StartProgramProcess(const std::vector<std::string>& arguments);
// Waits for the end (up to a minute) and returns the exit code.
int FinishProgram(RunningProgram& program);

// Polls until the condition holds or the time is up; returns the condition.
bool WaitUntil(const std::function<bool()>& condition, int timeout_ms);

// Wide text as the program's 8-bit calls see it.
std::string Ansi(const wchar_t* text);
std::string WindowText(HWND window);

// The visible top-level windows of a process.
std::vector<HWND> TopWindowsOf(DWORD process_id);
// The program's main window: the dialog that holds the Start button.
HWND FindMainWindow(DWORD process_id);
// The program's open message boxes.
std::vector<HWND> MessageBoxesOf(DWORD process_id);
std::string MessageBoxText(HWND box);
void CloseMessageBox(HWND box);

// A click on a button (which then tells the dialog), or a menu command.
void Click(HWND dialog, int control_id);

}  // namespace kelvor::test
