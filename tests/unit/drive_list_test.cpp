#include "drives/drive_list.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/os_drives.h"

namespace kelvor::drives {
namespace {

// The drive types of a made-up machine, and every root path that was asked.
std::map<std::string, unsigned> machine;
std::vector<std::string> asked;

unsigned FakeDriveType(std::string_view root_path) {
  asked.emplace_back(root_path);
  auto drive = machine.find(std::string(root_path));
  return drive == machine.end() ? os::kDriveNoRootDir : drive->second;
}

class DriveList : public testing::Test {
 protected:
  void SetUp() override {
    machine.clear();
    asked.clear();
  }
  std::string Build() { return BuildDriveList(count_, FakeDriveType); }
  std::int16_t count_ = -1;
};

TEST_F(DriveList, ListsTheFourTypesInLetterOrderWithGaps) {
  machine = {{"Z:\\", os::kDriveRamDisk},
             {"C:\\", os::kDriveFixed},
             {"E:\\", os::kDriveRemovable},
             {"H:\\", os::kDriveRemote},
             {"D:\\", os::kDriveCdRom},
             {"F:\\", os::kDriveUnknown},
             {"G:\\", 7}};
  EXPECT_EQ(Build(),
            "C:\\    Fixed Drive\r\n"
            "E:\\    Removable Disk Drive\r\n"
            "H:\\    Network Drive\r\n"
            "Z:\\    Ram Disk Drive\r\n");
  EXPECT_EQ(count_, 4);
}

TEST_F(DriveList, TriesCToZOnlyAndNeverAOrB) {
  machine = {{"A:\\", os::kDriveRemovable}, {"B:\\", os::kDriveRemovable}};
  EXPECT_EQ(Build(), "");
  EXPECT_EQ(count_, 0);
  ASSERT_EQ(asked.size(), 24u);
  EXPECT_EQ(asked.front(), "C:\\");
  EXPECT_EQ(asked.back(), "Z:\\");
}

TEST_F(DriveList, TheCountIsTheNumberOfLineEnds) {
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    machine[std::string{letter, ':', '\\'}] = letter % 2 ? os::kDriveFixed : os::kDriveCdRom;
  }
  std::string text = Build();
  std::size_t line_ends = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos;
       at = text.find("\r\n", at + 2)) {
    ++line_ends;
  }
  EXPECT_EQ(count_, 12);
  EXPECT_EQ(line_ends, 12u);
}

TEST(DriveTypeLabel, EveryCodeHasItsLabel) {
  machine = {{"C:\\", 0}, {"D:\\", 1}, {"E:\\", 2}, {"F:\\", 3},
             {"G:\\", 4}, {"H:\\", 5}, {"I:\\", 6}, {"J:\\", 99}};
  EXPECT_EQ(DriveTypeLabel("C:\\", FakeDriveType), "[Unknown drive type or error]");
  EXPECT_EQ(DriveTypeLabel("D:\\", FakeDriveType), "[Drive doesn't exist]");
  EXPECT_EQ(DriveTypeLabel("E:\\", FakeDriveType), "[Removable Disk Drive]");
  EXPECT_EQ(DriveTypeLabel("F:\\", FakeDriveType), "[Fixed Drive]");
  EXPECT_EQ(DriveTypeLabel("G:\\", FakeDriveType), "[Network Drive]");
  EXPECT_EQ(DriveTypeLabel("H:\\", FakeDriveType), "[CD Rom Drive]");
  EXPECT_EQ(DriveTypeLabel("I:\\", FakeDriveType), "[Ram Disk Drive]");
  EXPECT_EQ(DriveTypeLabel("J:\\", FakeDriveType), "[Unknown drive type or error]");
}

}  // namespace
}  // namespace kelvor::drives
