// The drive selector filled from the real drives of each OS: test volumes
// with known types, and the probe file that must never stay behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "drives/drive_lines.h"
#include "engine/free_space.h"
#include "platform/os_files.h"
#include "test_folder.h"
#include "test_platform.h"

namespace kelvor::engine {
namespace {

namespace fs = std::filesystem;

struct FakeSelector : DriveSelector {
  void InsertEntry(int index, std::string_view text) override {
    entries.insert(entries.begin() + index, std::string(text));
  }
  void SelectEntry(int index) override { selected = index; }
  std::vector<std::string> entries;
  int selected = -1;
};

class DriveSelectorFill : public testing::Test {
 protected:
  // Under Wine the folder the test started in may have no drive letter; the
  // work drive's root serves then, so that the test folder can be removed.
  void TearDown() override {
    std::error_code unreachable;
    fs::current_path(original_folder_, unreachable);
    if (unreachable) WorkIn(std::string(test::kWorkDrive) + "\\");
  }
  void WorkIn(std::string_view folder) { fs::current_path(test::HostPath(folder)); }
  std::vector<std::string> Fill() {
    FakeSelector selector;
    FillDriveSelector(selector);
    EXPECT_EQ(selector.selected, selector.entries.empty() ? -1 : 0);
    return selector.entries;
  }
  // Every test volume comes out as its type says, with the OS's free figure.
  static void ExpectTestVolumes(const std::vector<std::string>& entries) {
    for (const test::DriveExpectation& drive : test::ExpectedDriveTypes()) {
      std::string root = drive.drive + "\\";
      auto entry = std::find_if(entries.begin(), entries.end(),
                                [&](const std::string& e) { return e.starts_with(root); });
      if (drive.type_name.empty()) {
        EXPECT_EQ(entry, entries.end()) << root << " must not be listed";
        continue;
      }
      ASSERT_NE(entry, entries.end()) << root << " is missing";
      EXPECT_EQ(*entry, root + "    " + drive.type_name +
                            FreeSpaceSuffix(test::HostFreeBytes(drive.drive)));
    }
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end()));
  }
  fs::path original_folder_ = fs::current_path();
  test::TestFolder folder_;
};

TEST_F(DriveSelectorFill, TestVolumesAppearWithTypeAndFreeSpace) {
  WorkIn(folder_.path());
  ExpectTestVolumes(Fill());
  EXPECT_FALSE(folder_.Exists(drives::kProbeFileName));
}

TEST_F(DriveSelectorFill, AReadOnlyCurrentFolderChangesNothing) {
  WorkIn(std::string(test::kReadOnlyDrive) + "\\");
  ExpectTestVolumes(Fill());
  EXPECT_FALSE(fs::exists(drives::kProbeFileName));
}

TEST_F(DriveSelectorFill, SomeoneElsesProbeFileIsLeftAlone) {
  folder_.Write(drives::kProbeFileName, "not Kelvor's");
  WorkIn(folder_.path());
  ExpectTestVolumes(Fill());
  EXPECT_EQ(folder_.Read(drives::kProbeFileName), "not Kelvor's");
}

TEST_F(DriveSelectorFill, DriveListLinesComeBackWholeFromTheProbeFile) {
  WorkIn(folder_.path());
  std::string text = "C:\\    Fixed Drive\r\nE:\\    Removable Disk Drive\r\n";
  EXPECT_EQ(drives::DriveListLines(text, 2),
            (std::vector<std::string>{"C:\\    Fixed Drive", "E:\\    Removable Disk Drive"}));
  EXPECT_TRUE(drives::DriveListLines("", 0).empty());
  EXPECT_FALSE(folder_.Exists(drives::kProbeFileName));
}

}  // namespace
}  // namespace kelvor::engine
