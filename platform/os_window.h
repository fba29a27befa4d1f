// Window and message-box primitives of the OS seam. With no window
// (handle 0, as in command-line mode) the control updates do nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
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

// Handles the thread's pending messages (up to a bound), offering each to the
// main window's dialog handling first; sleeps 1 ms when none is pending
// (POSIX has no messages, and returns at once).
void PumpStep(WindowHandle main_window);

// The main window, built from plain descriptions (dialog units).
struct DialogRect {
  int x, y, width, height;
};

struct WindowFrame {
  const char* caption;
  DialogRect rect;
  std::uint32_t style;
  const char* font;
  int font_points;
};

struct ControlSpec {
  int id;
  const char* window_class;
  const char* caption;
  DialogRect rect;
  std::uint32_t style;
};

struct MenuItemSpec {
  const char* caption;
  int command_id;
};

// Receives every message of the main window's dialog procedure.
using WindowEventHandler =
    std::function<void(unsigned message, std::uintptr_t wparam, std::intptr_t lparam)>;

// Where the program has no window toolkit (POSIX) every call below does
// nothing.
// Prepares the common controls through "COMCTL32.DLL".
void InitControlLibrary();

// The program's command line as 8-bit text.
std::string ProgramCommandLine();

// An invisible, modeless dialog from an in-memory template without items.
WindowHandle CreateMainWindow(const WindowFrame& frame, WindowEventHandler handler);
// A child control, its rectangle converted with MapDialogRect, in the
// dialog's font.
void CreateControl(WindowHandle window, const ControlSpec& control);
// A menu bar with one popup holding the items.
void AttachMenu(WindowHandle window, const char* popup_caption,
                std::span<const MenuItemSpec> items);
// The initial messages, showing the window, and pump steps until the window
// no longer exists.
void RunMainLoop(WindowHandle window);

void EnableControl(WindowHandle window, int control_id, bool enabled);
void CheckRadioButton(WindowHandle window, int first_id, int last_id, int checked_id);
bool IsControlChecked(WindowHandle window, int control_id);
// The text of a combo box's selected list entry; empty when none is selected.
std::string SelectedComboText(WindowHandle window, int control_id);
WindowHandle FocusedWindow();
void FocusWindow(WindowHandle window);
// Opens a compiled help file's table of contents, by a relative name.
void OpenHelpContents(WindowHandle window, const char* help_file);

}  // namespace kelvor::os
