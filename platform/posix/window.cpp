// No windows on POSIX: control updates do nothing, message boxes are lines on
// standard error, and a pump step has no messages to handle. It does not
// sleep as the Windows one does when none waits: nothing here needs the
// processor given up, and a run makes hundreds of pump steps.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/os_window.h"

namespace kelvor::os {

void SetControlText(WindowHandle, int, std::string_view) {}

std::intptr_t SendControlMessage(WindowHandle, int, unsigned, std::uintptr_t, std::intptr_t) {
  return 0;
}

std::intptr_t SendControlText(WindowHandle, int, unsigned, std::uintptr_t, std::string_view) {
  return 0;
}

void ShowMessageBox(std::string_view text, std::string_view caption, std::uint32_t) {
  std::string line(text);
  std::replace(line.begin(), line.end(), '\r', ' ');  // line breaks are single CRs
  std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(caption.size()), caption.data(),
               line.c_str());
}

void PumpStep(WindowHandle) {}

void InitControlLibrary() {}
std::string ProgramCommandLine() {
  return {};
}
WindowHandle CreateMainWindow(const WindowFrame&, WindowEventHandler) {
  return kNoWindow;
}
void CreateControl(WindowHandle, const ControlSpec&) {}
void AttachMenu(WindowHandle, const char*, std::span<const MenuItemSpec>) {}
void RunMainLoop(WindowHandle) {}
void EnableControl(WindowHandle, int, bool) {}
void CheckRadioButton(WindowHandle, int, int, int) {}
bool IsControlChecked(WindowHandle, int) {
  return false;
}
std::string SelectedComboText(WindowHandle, int) {
  return {};
}
WindowHandle FocusedWindow() {
  return kNoWindow;
}
void FocusWindow(WindowHandle) {}
void OpenHelpContents(WindowHandle, const char*) {}

}  // namespace kelvor::os
