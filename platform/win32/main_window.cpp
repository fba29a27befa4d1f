// The main window on Win32: a modeless dialog from an in-memory template,
// controls created one by one, a menu, and a polling main loop.
#include <windows.h>
// The common controls need the definitions of windows.h first.
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/os_files.h"
#include "platform/os_window.h"
#include "window_handle.h"

namespace kelvor::os {
namespace {

constexpr DWORD kWindowsClasses = 0x9FF;  // Windows 95, date and internet classes
constexpr DWORD kMenuItemMask = 0x37;     // state, ID, submenu, type and data
constexpr UINT kHelpDisplayContents = 1;  // HH_DISPLAY_TOC

// The one main window's event handler, for the dialog procedure.
WindowEventHandler& Handler() {
  static WindowEventHandler handler;
  return handler;
}

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (Handler()) Handler()(message, wparam, lparam);
  // A close that the handler lets through (no run: during one it cancels and
  // ends the program) destroys the window.
  if (message == WM_CLOSE) DestroyWindow(window);
  return FALSE;
}

// The program's 8-bit text (ANSI code page) of a wide text.
std::string ToAnsiText(const wchar_t* wide) {
  int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string text(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), size, nullptr, nullptr);
  return text;
}

void AppendWide(std::vector<WORD>& words, std::string_view text) {
  for (wchar_t c : ToNativeName(text)) words.push_back(static_cast<WORD>(c));
  words.push_back(0);
}

// DLGTEMPLATEEX without items: the frame's rectangle, style and font.
std::vector<WORD> DialogTemplate(const WindowFrame& frame) {
  std::vector<WORD> words;
  auto push_dword = [&words](DWORD value) {
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
  };
  words.push_back(1);       // dlgVer
  words.push_back(0xFFFF);  // signature
  push_dword(0);            // helpID
  push_dword(0);            // exStyle
  push_dword(frame.style & ~static_cast<DWORD>(WS_VISIBLE));
  words.push_back(0);  // no items
  words.push_back(static_cast<WORD>(frame.rect.x));
  words.push_back(static_cast<WORD>(frame.rect.y));
  words.push_back(static_cast<WORD>(frame.rect.width));
  words.push_back(static_cast<WORD>(frame.rect.height));
  words.push_back(0);  // no menu in the template
  words.push_back(0);  // the standard dialog class
  AppendWide(words, " ");
  words.push_back(static_cast<WORD>(frame.font_points));
  words.push_back(FW_NORMAL);
  words.push_back(0);  // italic and character set, one byte each
  AppendWide(words, frame.font);
  return words;
}

}  // namespace

void InitControlLibrary() {
  HMODULE library = LoadLibraryA("COMCTL32.DLL");
  if (!library) return;
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init_ex = reinterpret_cast<InitEx>(
      reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
  if (init_ex) {
    INITCOMMONCONTROLSEX classes = {sizeof(INITCOMMONCONTROLSEX), kWindowsClasses};
    init_ex(&classes);
  } else {
    InitCommonControls();
  }
  FreeLibrary(library);
}

std::string ProgramCommandLine() {
  return ToAnsiText(GetCommandLineW());
}

WindowHandle CreateMainWindow(const WindowFrame& frame, WindowEventHandler handler) {
  Handler() = std::move(handler);
  std::vector<WORD> layout = DialogTemplate(frame);
  HWND window = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEW>(layout.data()),
                                           nullptr, DialogProcedure, 0);
  SetWindowTextW(window, ToNativeName(frame.caption).c_str());
  return reinterpret_cast<WindowHandle>(window);
}

void CreateControl(WindowHandle window, const ControlSpec& control) {
  RECT rect = {control.rect.x, control.rect.y, control.rect.x + control.rect.width,
               control.rect.y + control.rect.height};
  MapDialogRect(AsWindow(window), &rect);
  HWND created = CreateWindowExW(
      0, ToNativeName(control.window_class).c_str(), ToNativeName(control.caption).c_str(),
      control.style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
      AsWindow(window), reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
      GetModuleHandleW(nullptr), nullptr);
  SendMessageW(created, WM_SETFONT, SendMessageW(AsWindow(window), WM_GETFONT, 0, 0), FALSE);
}

void AttachMenu(WindowHandle window, const char* popup_caption,
                std::span<const MenuItemSpec> items) {
  HMENU bar = CreateMenu();
  HMENU popup = CreatePopupMenu();
  auto append = [](HMENU menu, const char* caption, UINT id, HMENU submenu) {
    NativeName text = ToNativeName(caption);
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = kMenuItemMask;
    item.fType = MFT_STRING;
    item.fState = MFS_ENABLED;
    item.wID = id;
    item.hSubMenu = submenu;
    item.dwTypeData = text.data();
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
  };
  append(bar, popup_caption, 0, popup);
  for (const MenuItemSpec& item : items) append(popup, item.caption, item.command_id, nullptr);
  SetMenu(AsWindow(window), bar);
}

void RunMainLoop(WindowHandle window) {
  HWND main = AsWindow(window);
  SetForegroundWindow(main);
  RECT client;
  GetClientRect(main, &client);
  if (Handler()) {
    Handler()(WM_INITDIALOG, 0, 0);
    Handler()(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  }
  ShowWindow(main, SW_SHOW);
  while (IsWindow(main)) PumpStep(window);
}

void EnableControl(WindowHandle window, int control_id, bool enabled) {
  EnableWindow(GetDlgItem(AsWindow(window), control_id), enabled);
}

void CheckRadioButton(WindowHandle window, int first_id, int last_id, int checked_id) {
  ::CheckRadioButton(AsWindow(window), first_id, last_id, checked_id);
}

bool IsControlChecked(WindowHandle window, int control_id) {
  return SendDlgItemMessageW(AsWindow(window), control_id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string SelectedComboText(WindowHandle window, int control_id) {
  HWND combo = GetDlgItem(AsWindow(window), control_id);
  LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return {};
  LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return {};
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide.data()));
  return ToAnsiText(wide.c_str());
}

WindowHandle FocusedWindow() {
  return reinterpret_cast<WindowHandle>(GetFocus());
}

void FocusWindow(WindowHandle window) {
  SetFocus(AsWindow(window));
}

void OpenHelpContents(WindowHandle window, const char* help_file) {
  // The HTML Help library is part of Windows: it is loaded from the system
  // folder by its full name, never from beside the program, where a
  // downloaded file of the same name could lie.
  static HMODULE library = [] {
    wchar_t system[MAX_PATH];
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return HMODULE{};
    return LoadLibraryW((std::wstring(system, length) + L"\\hhctrl.ocx").c_str());
  }();
  if (!library) return;
  using HtmlHelp = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
  auto html_help =
      reinterpret_cast<HtmlHelp>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpW")));
  // The help file is the one beside the program, whatever the current folder.
  wchar_t program[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
  if (!html_help || length == 0 || length >= MAX_PATH) return;
  std::wstring path(program, length);
  path = path.substr(0, path.find_last_of(L'\\') + 1) + ToNativeName(help_file);
  html_help(AsWindow(window), path.c_str(), kHelpDisplayContents, 0);
}

}  // namespace kelvor::os
