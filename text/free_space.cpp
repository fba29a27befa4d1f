#include "text/free_space.h"

#include "text/number_text.h"

namespace kelvor::text {
namespace {

constexpr const char* kSuffixLead = "   ";
constexpr double kMegabytesPerGigabyte = 1000;  // as the selector has always shown them

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

std::string DriveEntryText(const drives::Drive& drive) {
  return drives::DriveListLine(drive) + FreeSpaceSuffix(drive.free_bytes);
}

}  // namespace kelvor::text
