#include "drives/drive_list.h"

#include <array>

#include "platform/os_drives.h"

namespace kelvor::drives {
namespace {

constexpr std::size_t kMaxRootPathLength = 255;
constexpr int kFirstDriveNumber = 3;  // C; A and B are never tried
constexpr int kLastDriveNumber = 26;  // Z
constexpr char kLetterBase = 64;      // drive number n is the letter 64 + n
constexpr const char* kSeparator = "    ";
constexpr const char* kLineEnd = "\r\n";
constexpr std::size_t kDriveRootLength = 2;  // "C:"

constexpr std::array<const char*, 7> kLabels = {
    "[Unknown drive type or error]",  // 0
    "[Drive doesn't exist]",          // 1
    "[Removable Disk Drive]",         // 2
    "[Fixed Drive]",                  // 3
    "[Network Drive]",                // 4
    "[CD Rom Drive]",                 // 5
    "[Ram Disk Drive]",               // 6
};

constexpr std::array<std::string_view, 4> kListedTypes = {"Fixed Drive", "Network Drive",
                                                          "Ram Disk Drive", "Removable Disk Drive"};

bool IsListed(std::string_view type_name) {
  for (std::string_view listed : kListedTypes) {
    if (type_name == listed) return true;
  }
  return false;
}

}  // namespace

unsigned SystemDriveType(std::string_view root_path) {
  return os::QueryDriveType(root_path);
}

std::string DriveTypeLabel(std::string_view root_path, DriveTypeQuery query) {
  unsigned code = query(root_path.substr(0, kMaxRootPathLength));
  return code < kLabels.size() ? kLabels[code] : kLabels[os::kDriveUnknown];
}

DriveList BuildDriveList(DriveTypeQuery query) {
  DriveList drives;
  for (int number = kFirstDriveNumber; number <= kLastDriveNumber; ++number) {
    auto letter = static_cast<char>(kLetterBase + number);
    std::string root_path = {letter, ':', '\\'};
    std::string label = DriveTypeLabel(root_path, query);
    std::string type_name = label.substr(1, label.size() - 2);
    if (IsListed(type_name)) drives.push_back({letter, root_path, type_name});
  }
  return drives;
}

std::string DriveListLine(const Drive& drive) {
  return drive.root + kSeparator + drive.type_name;
}

std::string DriveListText(const DriveList& drives) {
  std::string text;
  for (const Drive& drive : drives) text += DriveListLine(drive) + kLineEnd;
  return text;
}

void MeasureFreeBytes(DriveList& drives) {
  os::DriveHold nothing_held;
  for (Drive& drive : drives) {
    drive.free_bytes = 0;  // a failed query shows 0, not the drive before
    os::QueryFreeBytes(nothing_held, drive.root.substr(0, kDriveRootLength), &drive.free_bytes);
  }
}

}  // namespace kelvor::drives
