#include "engine/free_space.h"

#include "drives/drive_lines.h"
#include "engine/chunks.h"
#include "engine/number_text.h"
#include "platform/os_drives.h"

namespace kelvor::engine {
namespace {

constexpr const char* kSuffixLead = "   ";
constexpr double kMegabytesPerGigabyte = 1000;  // as the selector has always shown them
constexpr std::size_t kDriveRootLength = 2;     // "C:"

}  // namespace

std::string FreeSpaceSuffix(std::uint64_t free_bytes) {
  auto gigabytes = static_cast<float>(free_bytes / static_cast<double>(kBytesPerGigabyte));
  if (gigabytes >= 1.0f) {
    auto rounded = static_cast<float>(RoundToDecimals(gigabytes, 2));
    return kSuffixLead + NumberText(rounded, kSingleDigits) + " GB Free";
  }
  auto megabytes = static_cast<float>(gigabytes * kMegabytesPerGigabyte);
  auto rounded = static_cast<float>(RoundToDecimals(megabytes, 2));
  return kSuffixLead + NumberText(rounded, kSingleDigits) + " MB Free";
}

void FillDriveSelector(DriveSelector& selector, drives::DriveTypeQuery query) {
  std::int16_t count = 0;
  std::string text = drives::BuildDriveList(count, query);
  std::vector<std::string> lines = drives::DriveListLines(text, count);
  if (count <= 0) return;
  for (int i = 0; i < count; ++i) {
    std::uint64_t free_bytes = 0;  // a failed query shows 0, not the drive before
    os::QueryFreeBytes(lines[i].substr(0, kDriveRootLength), &free_bytes);
    selector.InsertEntry(i, lines[i] + FreeSpaceSuffix(free_bytes));
  }
  selector.SelectEntry(0);
}

}  // namespace kelvor::engine
