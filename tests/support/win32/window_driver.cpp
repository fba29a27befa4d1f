#include "window_driver.h"

#include <cstdlib>

#include "platform/os_files.h"
#include "window/control_ids.h"

namespace kelvor::test {
namespace {

constexpr DWORD kProgramEndTimeout = 60000;
constexpr DWORD kPollInterval = 20;

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// Adds the window to the search's list (a process id and the windows found)
// where that process owns it and shows it.
BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->first && IsWindowVisible(window)) search->second.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopWindowsOf(DWORD process_id) {
  std::pair<DWORD, std::vector<HWND>> search{process_id, {}};
  EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

RunningProgram StartProgramProcess(const std::vector<std::string>& arguments) {
  const char* program = std::getenv("KELVOR_PROGRAM");
  RunningProgram running;
  if (!program) return running;
  std::wstring command_line = L"\"" + os::ToNativeName(program) + L"\"";
  for (const std::string& argument : arguments) command_line += L" " + os::ToNativeName(argument);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return running;
  }
  CloseHandle(process.hThread);
  running.process = process.hProcess;
  running.process_id = process.dwProcessId;
  return running;
}

int FinishProgram(RunningProgram& program) {
  if (!program.process) return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(program.process, kProgramEndTimeout) == WAIT_OBJECT_0) {
    GetExitCodeProcess(program.process, &code);
  } else {
    TerminateProcess(program.process, 99);  // our own child, by its handle
  }
  CloseHandle(program.process);
  program.process = nullptr;
  return static_cast<int>(code);
}

bool WaitUntil(const std::function<bool()>& condition, int timeout_ms) {
  for (int waited = 0; waited < timeout_ms; waited += kPollInterval) {
    if (condition()) return true;
    Sleep(kPollInterval);
  }
  return condition();
}

std::string Ansi(const wchar_t* text) {
  char ansi[2048] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
  return ansi;
}

std::string WindowText(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return Ansi(text);
}

HWND FindMainWindow(DWORD process_id) {
  for (HWND window : TopWindowsOf(process_id)) {
    if (GetDlgItem(window, window::kStartButton)) return window;
  }
  return nullptr;
}

std::vector<HWND> MessageBoxesOf(DWORD process_id) {
  std::vector<HWND> boxes;
  for (HWND window : TopWindowsOf(process_id)) {
    if (ClassName(window) == "#32770" && !GetDlgItem(window, window::kStartButton) &&
        GetDlgItem(window, IDOK)) {
      boxes.push_back(window);
    }
  }
  return boxes;
}

std::string MessageBoxText(HWND box) {
  // The longest static text of the box is its message.
  std::string longest;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) != "Static") continue;
    std::string text = WindowText(child);
    if (text.size() > longest.size()) longest = text;
  }
  return longest;
}

void CloseMessageBox(HWND box) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void Click(HWND dialog, int control_id) {
  // A button is clicked itself, so that it changes its state and tells the
  // dialog; a menu command goes to the dialog directly.
  if (HWND button = GetDlgItem(dialog, control_id)) {
    PostMessageW(button, BM_CLICK, 0, 0);
  } else {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(control_id, BN_CLICKED), 0);
  }
}

}  // namespace kelvor::test
