#include "drives/drive_list.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/os_drives.h"

namespace kelvor::drives {
namespace {

// The drive types of a made-up machine, and every root path that was asked.
std::map<std::string, unsigned> machine = {
    {"A:\\", os::kDriveRemovable}, {"Z:\\", os::kDriveRamDisk},
    {"C:\\", os::kDriveFixed},     {"E:\\", os::kDriveRemovable},
    {"H:\\", os::kDriveRemote},    {"D:\\", os::kDriveCdRom},
    {"F:\\", os::kDriveUnknown},   {"G:\\", 7}};  // a code without a label of its own: unknown
std::vector<std::string> asked;

unsigned FakeDriveType(std::string_view root_path) {
  asked.emplace_back(root_path);
  auto drive = machine.find(std::string(root_path));
  return drive == machine.end() ? os::kDriveNoRootDir : drive->second;
}

TEST(DriveList, ListsTheFourTypesInLetterOrderFromCToZ) {
  DriveList drives = BuildDriveList(FakeDriveType);
  EXPECT_EQ(DriveListText(drives),
            "C:\\    Fixed Drive\r\n"
            "E:\\    Removable Disk Drive\r\n"
            "H:\\    Network Drive\r\n"
            "Z:\\    Ram Disk Drive\r\n");
  ASSERT_EQ(drives.size(), 4u);
  EXPECT_EQ(drives[1].letter, 'E');
  ASSERT_EQ(asked.size(), 24u);  // never A or B
  EXPECT_EQ(asked.front(), "C:\\");
  EXPECT_EQ(asked.back(), "Z:\\");
}

}  // namespace
}  // namespace kelvor::drives
