// The Windows program's window, driven from another process under Wine as a
// user would: what it shows after start-up, its buttons, runs, pause, cancel.
#include <windows.h>
// The common controls need the definitions of windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/os_files.h"
#include "test_folder.h"
#include "test_platform.h"
#include "ui/control_ids.h"
#include "window_driver.h"

namespace kelvor::test {
namespace {

namespace fs = std::filesystem;

constexpr int kWindowTimeout = 30000;  // milliseconds
constexpr int kRunTimeout = 120000;
constexpr DWORD kEndAfterClose = 10000;
constexpr std::uintmax_t kChunk = 107374182;  // bytes of a gigabyte part's chunk
constexpr DWORD kChunksPerLongestWait = 2;    // a wait may span parts of two chunks
constexpr DWORD kSampleInterval = 2;          // milliseconds
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
      Click(window_, ui::kCancelButton);  // ends the program, cleaning up
    }
    FinishProgram(program_);
  }
  HWND Control(int id) { return GetDlgItem(window_, id); }
  std::string Text(int id) { return WindowText(Control(id)); }
  bool Checked(int id) { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Enabled(int id) { return IsWindowEnabled(Control(id)); }

  // The drive selector's entry `index`.
  std::string DriveEntry(LRESULT index) {
    wchar_t text[512] = {};
    SendMessageW(Control(ui::kDriveSelector), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return Ansi(text);
  }
  void SelectDrive(std::string_view drive) {
    std::wstring root = os::ToNativeName(std::string(drive) + "\\");
    ASSERT_NE(SendMessageW(Control(ui::kDriveSelector), CB_SELECTSTRING, -1,
                           reinterpret_cast<LPARAM>(root.c_str())),
              CB_ERR)
        << drive << " is not in the drive selector";
  }
  // Starts a run on a volume with a gigabyte part and waits until it writes
  // Kelvor1.dat.
  bool StartRunIntoAGigabytePart(std::string_view drive = kLargeDrive) {
    SelectDrive(drive);
    Click(window_, ui::kStartButton);
    return WaitUntil([this] { return InGigabytePart(); }, kRunTimeout);
  }
  bool InGigabytePart() {
    return Text(ui::kStatusLine).find("Est Time Remaining") != std::string::npos;
  }
  bool Idle() { return Enabled(ui::kStartButton) && Text(ui::kStatusLine) == kIdleText; }
  std::vector<std::string> CloseMessageBoxes() {
    std::vector<std::string> texts;
    for (HWND box : MessageBoxesOf(program_.process_id)) {
      texts.push_back(MessageBoxText(box));
      CloseMessageBox(box);
    }
    return texts;
  }

  RunningProgram program_;
  HWND window_ = nullptr;
};

TEST_F(Window, AfterStartUpTheWindowIsIdleWithTheDrivesListed) {
  EXPECT_EQ(WindowText(window_), "Kelvor");
  EXPECT_TRUE(Enabled(ui::kStartButton));
  EXPECT_FALSE(Enabled(ui::kPauseButton));
  EXPECT_TRUE(Enabled(ui::kCancelButton));
  EXPECT_TRUE(Checked(ui::kAllOnesButton));
  EXPECT_FALSE(Checked(ui::kRestartCheckBox));
  EXPECT_FALSE(Checked(ui::kCycleCheckBox));
  EXPECT_FALSE(Enabled(ui::kCycleCheckBox));
  EXPECT_EQ(Text(ui::kStatusLine), kIdleText);
  EXPECT_EQ(SendMessageW(Control(ui::kProgressBar), PBM_GETPOS, 0, 0), 0);

  // C: is listed first, selected; D:, a CD drive, is never listed.
  EXPECT_EQ(SendMessageW(Control(ui::kDriveSelector), CB_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(DriveEntry(0).starts_with("C:\\    Fixed Drive    ")) << DriveEntry(0);
  EXPECT_EQ(SendMessageW(Control(ui::kDriveSelector), CB_FINDSTRING, -1,
                         reinterpret_cast<LPARAM>(L"D:\\")),
            CB_ERR);
}

TEST_F(Window, EscapeLeavesTheWindowOpenAboutShowsItsBoxAndHelpItsGuide) {
  PostMessageW(window_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  Sleep(500);
  EXPECT_TRUE(IsWindow(window_));
  Click(window_, ui::kAboutMenuItem);
  std::vector<std::string> texts;
  ASSERT_TRUE(WaitUntil([&] { return !(texts = CloseMessageBoxes()).empty(); }, kWindowTimeout));
  EXPECT_NE(texts.front().find("Made by the Kelvor developers."), std::string::npos)
      << texts.front();
  // The guide beside the program, though the program runs in another folder.
  Click(window_, ui::kHelpMenuItem);
  EXPECT_TRUE(WaitUntil(
      [&] {
        std::vector<HWND> windows = TopWindowsOf(program_.process_id);
        return std::any_of(windows.begin(), windows.end(),
                           [](HWND window) { return WindowText(window) == "Kelvor Help"; });
      },
      kWindowTimeout));
}

// A run started from the window, repeated with the next wipe type each time
// until Restart is unchecked, ends idle and clean.
TEST_F(Window, RestartWithCycleMovesTheWipeTypeOnAndTheRunEndsIdleAndClean) {
  SelectDrive(kSmallDrive);
  Click(window_, ui::kBinaryBlocksButton);
  Click(window_, ui::kRestartCheckBox);
  ASSERT_TRUE(WaitUntil([this] { return Enabled(ui::kCycleCheckBox); }, kWindowTimeout));
  Click(window_, ui::kCycleCheckBox);
  Click(window_, ui::kStartButton);
  ASSERT_TRUE(WaitUntil([this] { return !Enabled(ui::kStartButton); }, kWindowTimeout));
  EXPECT_TRUE(Enabled(ui::kPauseButton));
  // After the first run the option buttons show the next type, "All 1's".
  ASSERT_TRUE(WaitUntil([this] { return Checked(ui::kAllOnesButton); }, kRunTimeout));
  Click(window_, ui::kRestartCheckBox);  // the loop ends after the current run
  ASSERT_TRUE(WaitUntil([this] { return Idle(); }, kRunTimeout));
  EXPECT_FALSE(Enabled(ui::kPauseButton));
  EXPECT_FALSE(Enabled(ui::kCycleCheckBox));
  EXPECT_TRUE(Checked(ui::kCycleCheckBox));
  EXPECT_TRUE(CloseMessageBoxes().empty());
  EXPECT_FALSE(fs::exists(TempFolderOn(kSmallDrive)));
}

TEST_F(Window, CancelDuringARunCleansUpAndEndsWithZero) {
  ASSERT_TRUE(StartRunIntoAGigabytePart());
  Click(window_, ui::kCancelButton);
  EXPECT_EQ(FinishProgram(program_), 0);
  EXPECT_FALSE(fs::exists(TempFolderOn(kLargeDrive)));
}

TEST_F(Window, AnotherProgramsCloseWhilePausedCancels) {
  ASSERT_TRUE(StartRunIntoAGigabytePart());
  Click(window_, ui::kPauseButton);
  ASSERT_TRUE(WaitUntil([this] { return Text(ui::kStatusLine) == kPausedText; }, kWindowTimeout));
  EXPECT_EQ(Text(ui::kPauseButton), "Resume");
  PostMessageW(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(program_.process, kEndAfterClose), WAIT_OBJECT_0);
  EXPECT_EQ(FinishProgram(program_), 0);
  EXPECT_FALSE(fs::exists(TempFolderOn(kLargeDrive)));
}

// On a volume with a device (X: fills up inside its gigabyte file) the window
// answers between the chunks: it never waits much longer than one chunk
// takes, as it would for a flush of the whole file at its end.
TEST_F(Window, TheWindowAnswersThroughoutAGigabytePart) {
  ASSERT_TRUE(StartRunIntoAGigabytePart(kExt4Drive));
  // When Kelvor1.dat grows past each whole chunk.
  std::vector<DWORD> chunk_ends;
  std::atomic<bool> part_over = false;
  std::thread sampler([&] {
    const fs::path kelvor1 = TempFolderOn(kExt4Drive) / "Kelvor1.dat";
    for (std::uintmax_t next = kChunk; !part_over; Sleep(kSampleInterval)) {
      std::error_code gone;
      if (fs::file_size(kelvor1, gone) < next || gone) continue;
      chunk_ends.push_back(GetTickCount());
      next += kChunk;
    }
  });
  DWORD longest_wait = 0;
  while (InGigabytePart()) {
    DWORD asked = GetTickCount();
    DWORD_PTR ignored;
    SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kRunTimeout, &ignored);
    longest_wait = std::max(longest_wait, GetTickCount() - asked);
  }
  part_over = true;
  sampler.join();
  DWORD longest_chunk = 0;
  for (std::size_t i = 1; i < chunk_ends.size(); ++i) {
    longest_chunk = std::max(longest_chunk, chunk_ends[i] - chunk_ends[i - 1]);
  }
  ASSERT_GE(chunk_ends.size(), 2u);
  EXPECT_LT(longest_wait, kChunksPerLongestWait * longest_chunk) << longest_chunk << " ms a chunk";
  ASSERT_TRUE(WaitUntil([this] { return Idle(); }, kRunTimeout));
  EXPECT_FALSE(fs::exists(TempFolderOn(kExt4Drive)));
}

// Nobody may be there to answer the error report of an unattended run: the
// fill files are gone before it waits.
TEST(CommandLineRun, DeletesItsFillFilesBeforeItsReportWaits) {
  // The pattern file, held open without sharing, cannot be read: the run
  // ends with an error before its gigabyte parts.
  TestFolder folder;
  folder.Write("wallpaper.bmp", "pattern");
  TestRegistry registry;
  registry.SetText("Control Panel\\Desktop", "Wallpaper", folder / "wallpaper.bmp");
  HANDLE held = CreateFileW(folder.Native("wallpaper.bmp").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  RunningProgram program = StartProgramProcess({std::string(kSmallDrive), "/0"});
  std::vector<HWND> boxes;
  EXPECT_TRUE(WaitUntil([&] { return !(boxes = MessageBoxesOf(program.process_id)).empty(); },
                        kRunTimeout));
  EXPECT_FALSE(fs::exists(TempFolderOn(kSmallDrive))) << "the report waits on a full drive";
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
