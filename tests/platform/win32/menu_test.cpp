// The main window's menu, read inside the process that built it: under Wine
// one process cannot read another's menu.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/os_window.h"
#include "ui/main_window.h"
#include "ui/window_layout.h"

namespace kelvor::ui {
namespace {

struct MenuItem {
  std::wstring text;
  UINT id;
  UINT state;
  HMENU submenu;
};

MenuItem ReadItem(HMENU menu, int position) {
  wchar_t text[64] = {};
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
  info.dwTypeData = text;
  info.cch = 64;
  GetMenuItemInfoW(menu, position, TRUE, &info);
  return {text, info.wID, info.fState, info.hSubMenu};
}

TEST(MainMenu, OnePopupWithHelpAndAbout) {
  os::WindowHandle window = os::CreateMainWindow(kMainWindow, nullptr);
  ASSERT_NE(window, os::kNoWindow);
  BuildMainMenu(window);
  HMENU bar = GetMenu(reinterpret_cast<HWND>(window));
  ASSERT_TRUE(bar);
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  MenuItem popup = ReadItem(bar, 0);
  EXPECT_EQ(popup.text, L"Help");
  ASSERT_TRUE(popup.submenu);
  ASSERT_EQ(GetMenuItemCount(popup.submenu), 2);
  MenuItem help = ReadItem(popup.submenu, 0);
  MenuItem about = ReadItem(popup.submenu, 1);
  EXPECT_EQ(help.text, L"&Help");
  EXPECT_EQ(help.id, static_cast<UINT>(kHelpMenuItem));
  EXPECT_EQ(help.state & MFS_DISABLED, 0u);
  EXPECT_EQ(about.text, L"&About");
  EXPECT_EQ(about.id, static_cast<UINT>(kAboutMenuItem));
  wchar_t caption[32] = {};
  GetWindowTextW(reinterpret_cast<HWND>(window), caption, 32);
  EXPECT_STREQ(caption, L"Kelvor");
  DestroyWindow(reinterpret_cast<HWND>(window));
}

}  // namespace
}  // namespace kelvor::ui
