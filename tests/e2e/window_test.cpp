// The Windows program's window, driven from another process under Wine as a
// user would: what it shows after start-up, its buttons, runs, pause, cancel.
#include <windows.h>
// The common controls need the definitions of windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/os_files.h"
#include "test_folder.h"
#include "test_platform.h"
#include "window/control_ids.h"
#include "window_driver.h"

namespace kelvor::test {
namespace {

namespace fs = std::filesystem;

constexpr int kWindowTimeout = 30000;  // milliseconds
constexpr int kRunTimeout = 120000;
constexpr DWORD kEndAfterClose = 10000;
constexpr DWORD kAnswerTime = 1000;  // what a user waits at most for Pause or Cancel
constexpr const char* kIdleText = "Select a drive above ...";
constexpr const char* kPausedText = "Paused. Select Resume to continue, or Cancel to end ...";

fs::path TempFolderOn(std::string_view drive) {
  return fs::path(os::ToNativeName(std::string(drive) + "\\~KelvorTemp"));
}

class Window : public testing::Test {
 protected:
  void SetUp() override {
    program_ = StartProgramProcess({});
    ASSERT_TRUE(program_.process);
    // On a machine the probe takes for a virtual machine, a warning comes first.
    ASSERT_TRUE(WaitUntil(
        [this] {
          for (HWND box : MessageBoxesOf(program_.process_id)) CloseMessageBox(box);
          return (window_ = FindMainWindow(program_.process_id)) != nullptr;
        },
        kWindowTimeout));
  }
  void TearDown() override {
    if (program_.process && WaitForSingleObject(program_.process, 0) == WAIT_TIMEOUT) {
      Click(window_, window::kCancelButton);  // ends the program, cleaning up
    }
    FinishProgram(program_);
  }
  HWND Control(int id) { return GetDlgItem(window_, id); }
  std::string Text(int id) { return WindowText(Control(id)); }
  bool Checked(int id) { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Enabled(int id) { return IsWindowEnabled(Control(id)); }

  void SelectDrive(std::string_view drive) {
    std::wstring root = os::ToNativeName(std::string(drive) + "\\");
    ASSERT_NE(SendMessageW(Control(window::kDriveSelector), CB_SELECTSTRING, -1,
                           reinterpret_cast<LPARAM>(root.c_str())),
              CB_ERR)
        << drive << " is not in the drive selector";
  }

  RunningProgram program_;
  HWND window_ = nullptr;
};

TEST_F(Window, AfterStartUpTheWindowIsIdleWithTheDrivesListed) {
  EXPECT_EQ(WindowText(window_), "Kelvor");
  EXPECT_TRUE(Enabled(window::kStartButton));
  EXPECT_FALSE(Enabled(window::kPauseButton));
  EXPECT_TRUE(Enabled(window::kCancelButton));
  EXPECT_TRUE(Checked(window::kAllOnesButton));
  EXPECT_FALSE(Checked(window::kRestartCheckBox));
  EXPECT_FALSE(Checked(window::kCycleCheckBox));
  EXPECT_FALSE(Enabled(window::kCycleCheckBox));
  EXPECT_EQ(Text(window::kStatusLine), kIdleText);
  EXPECT_EQ(SendMessageW(Control(window::kProgressBar), PBM_GETPOS, 0, 0), 0);

  // C: is listed first, selected, with its free space.
  EXPECT_EQ(SendMessageW(Control(window::kDriveSelector), CB_GETCURSEL, 0, 0), 0);
  wchar_t first[512] = {};
  SendMessageW(Control(window::kDriveSelector), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
  EXPECT_TRUE(Ansi(first).starts_with("C:\\    Fixed Drive    ")) << Ansi(first);
}

// (The About box's text is the run control's unit test's; a message box of
// the program's shows in the command-line run below.)
TEST_F(Window, EscapeLeavesTheWindowOpenAndHelpShowsTheGuide) {
  PostMessageW(window_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  Sleep(500);
  EXPECT_TRUE(IsWindow(window_));
  // The guide beside the program, though the program runs in another folder.
  Click(window_, window::kHelpMenuItem);
  EXPECT_TRUE(WaitUntil(
      [&] {
        std::vector<HWND> windows = TopWindowsOf(program_.process_id);
        return std::any_of(windows.begin(), windows.end(),
                           [](HWND window) { return WindowText(window) == "Kelvor Help"; });
      },
      kWindowTimeout));
}

// A run started from the window (Restart and Cycle are the run control's
// unit test's); another program's close, here while paused, cancels it like
// the Cancel button: it cleans up and ends with 0.
TEST_F(Window, AnotherProgramsCloseWhilePausedCancels) {
  SelectDrive(kLargeDrive);
  Click(window_, window::kStartButton);
  ASSERT_TRUE(WaitUntil(
      [this] { return Text(window::kStatusLine).find("Est Time Remaining") != std::string::npos; },
      kRunTimeout));
  EXPECT_FALSE(Enabled(window::kStartButton));
  Click(window_, window::kPauseButton);
  ASSERT_TRUE(
      WaitUntil([this] { return Text(window::kStatusLine) == kPausedText; }, kWindowTimeout));
  EXPECT_EQ(Text(window::kPauseButton), "Resume");
  PostMessageW(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(program_.process, kEndAfterClose), WAIT_OBJECT_0);
  EXPECT_EQ(FinishProgram(program_), 0);
  EXPECT_FALSE(fs::exists(TempFolderOn(kLargeDrive)));
}

// On a stick that takes 3 MB/s, a chunk of a gigabyte part takes more than
// half a minute; Pause and Cancel still answer within a second, between
// slices of it. Paused, the run writes nothing.
TEST_F(Window, OnASlowDrivePauseAndCancelAnswerWithinASecond) {
  SelectDrive(kSlowDrive);
  Click(window_, window::kStartButton);
  fs::path part = TempFolderOn(kSlowDrive) / "Kelvor1.dat";
  auto size = [&] {
    std::error_code error;
    std::uintmax_t bytes = fs::file_size(part, error);
    return error ? 0 : bytes;
  };
  ASSERT_TRUE(WaitUntil([&] { return size() > 0; }, kRunTimeout)) << "no gigabyte part began";

  DWORD asked = GetTickCount();
  Click(window_, window::kPauseButton);
  ASSERT_TRUE(
      WaitUntil([this] { return Text(window::kStatusLine) == kPausedText; }, kWindowTimeout));
  EXPECT_LE(GetTickCount() - asked, kAnswerTime);
  std::uintmax_t paused_at = size();
  Sleep(kAnswerTime);
  EXPECT_EQ(size(), paused_at);

  asked = GetTickCount();
  Click(window_, window::kCancelButton);
  EXPECT_EQ(WaitForSingleObject(program_.process, kEndAfterClose), WAIT_OBJECT_0);
  EXPECT_LE(GetTickCount() - asked, kAnswerTime);
  EXPECT_EQ(FinishProgram(program_), 0);
  EXPECT_FALSE(fs::exists(TempFolderOn(kSlowDrive)));
}

// Nobody may be there to answer the error report of an unattended run: the
// fill files are gone before it waits.
TEST(CommandLineRun, DeletesItsFillFilesBeforeItsReportWaits) {
  // The pattern file, held open without sharing, cannot be read: the run
  // ends with an error before its gigabyte parts, once the remainder part is
  // written (on a drive with a gigabyte free, so that the full disk does not
  // come first and end it quietly).
  TestFolder folder;
  folder.Write("wallpaper.bmp", "pattern");
  TestRegistry registry;
  registry.Set("Control Panel\\Desktop", "Wallpaper", REG_SZ, folder / "wallpaper.bmp" + '\0');
  HANDLE held = CreateFileW(folder.Native("wallpaper.bmp").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  RunningProgram program = StartProgramProcess({std::string(kLargeDrive), "/0"});
  std::vector<HWND> boxes;
  EXPECT_TRUE(WaitUntil([&] { return !(boxes = MessageBoxesOf(program.process_id)).empty(); },
                        kRunTimeout));
  EXPECT_FALSE(fs::exists(TempFolderOn(kLargeDrive))) << "the report waits on a full drive";
  for (HWND box : boxes) {
    EXPECT_EQ(WindowText(box), "Kelvor");
    EXPECT_EQ(MessageBoxText(box), "An Error occured:  70 - Permission denied.");
    CloseMessageBox(box);
  }
  CloseHandle(held);
  EXPECT_EQ(FinishProgram(program), 1);
}

}  // namespace
}  // namespace kelvor::test
