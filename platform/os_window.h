// Window, message-box and time primitives of the OS seam. With no window
// (handle 0, as in command-line mode) the control updates do nothing.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelvor::os {

using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoWindow = 0;

// Sets the text of a control of the window (8-bit text, converted for the
// wide call), and sends a control a message.
void SetControlText(WindowHandle window, int control_id, std::string_view text);
std::intptr_t SendControlMessage(WindowHandle window, int control_id, unsigned message,
                                 std::uintptr_t wparam, std::intptr_t lparam);
// The same with a text (converted for the wide call) as the message's lParam.
std::intptr_t SendControlText(WindowHandle window, int control_id, unsigned message,
                              std::uintptr_t wparam, std::string_view text);

// A message box without owner, after a 5 ms pause; it returns when the user
// has closed it. On POSIX: caption and text as one line on standard error.
void ShowMessageBox(std::string_view text, std::string_view caption, std::uint32_t style);

// Handles at most one pending message of the thread, offering it to the main
// window's dialog handling first; sleeps 1 ms when none is pending.
void PumpStep(WindowHandle main_window);

struct LocalTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};
LocalTime CurrentLocalTime();
void SleepMilliseconds(unsigned milliseconds);

}  // namespace kelvor::os
