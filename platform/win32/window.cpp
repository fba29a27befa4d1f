#include <windows.h>

#include <string>

#include "platform/os_files.h"
#include "platform/os_window.h"
#include "window_handle.h"

namespace kelvor::os {
namespace {

constexpr DWORD kMessageBoxDelay = 5;  // milliseconds
constexpr DWORD kIdleSleep = 1;
constexpr int kMostMessagesPerStep = 64;

}  // namespace

void SetControlText(WindowHandle window, int control_id, std::string_view text) {
  if (window == kNoWindow) return;
  SetWindowTextW(GetDlgItem(AsWindow(window), control_id), ToNativeName(text).c_str());
}

std::intptr_t SendControlMessage(WindowHandle window, int control_id, unsigned message,
                                 std::uintptr_t wparam, std::intptr_t lparam) {
  if (window == kNoWindow) return 0;
  return SendDlgItemMessageW(AsWindow(window), control_id, message, wparam, lparam);
}

std::intptr_t SendControlText(WindowHandle window, int control_id, unsigned message,
                              std::uintptr_t wparam, std::string_view text) {
  if (window == kNoWindow) return 0;
  NativeName wide = ToNativeName(text);
  return SendDlgItemMessageW(AsWindow(window), control_id, message, wparam,
                             reinterpret_cast<LPARAM>(wide.c_str()));
}

void ShowMessageBox(std::string_view text, std::string_view caption, std::uint32_t style) {
  Sleep(kMessageBoxDelay);
  MessageBoxW(nullptr, ToNativeName(text).c_str(), ToNativeName(caption).c_str(), style);
}

// A step handles what is pending, so that the window keeps up with its user
// however seldom the run steps; a bound keeps a flood of messages (a held
// key, a dragged window) from holding the run up.
void PumpStep(WindowHandle main_window) {
  MSG message;
  for (int handled = 0; handled < kMostMessagesPerStep; ++handled) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (handled == 0) Sleep(kIdleSleep);
      return;
    }
    HWND main = AsWindow(main_window);
    // The main window never has an accelerator table, so that step is skipped.
    if (main != nullptr && IsWindow(main) && IsDialogMessageW(main, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace kelvor::os
