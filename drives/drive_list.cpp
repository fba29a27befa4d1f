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

std::string BuildDriveList(std::int16_t& count, DriveTypeQuery query) {
  count = 0;
  std::string text;
  for (int number = kFirstDriveNumber; number <= kLastDriveNumber; ++number) {
    std::string root_path = {static_cast<char>(kLetterBase + number), ':', '\\'};
    std::string label = DriveTypeLabel(root_path, query);
    std::string type_name = label.substr(1, label.size() - 2);
    if (!IsListed(type_name)) continue;
    ++count;
    text += root_path + kSeparator + type_name + kLineEnd;
  }
  return text;
}

}  // namespace kelvor::drives
