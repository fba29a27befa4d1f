#include "files/error_numbers.h"

namespace kelvor::files {
namespace {

struct MessageRow {
  int number;
  const char* text;
};

constexpr MessageRow kMessages[] = {
    {0, "No Error"},
    {5, "Illegal function call"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {9, "Subscript/Pointer out of range"},
    {11, "Division by zero"},
    {24, "Device timeout"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File is open"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {61, "Disk full"},
    {62, "Input past end"},
    {63, "Bad record number"},
    {64, "Bad file name"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {69, "Comm error"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {72, "Disk media error"},
    {74, "Rename across disks"},
    {75, "Path/file access error"},
    {76, "Path not found"},
    {98, "XPrint Preview error"},
    {99, "Object error"},
    {241, "Global memory corrupt"},
    {242, "String space corrupt"},
};

// Error numbers for the Windows codes 0 to 39; codes above follow three rules.
constexpr ErrorNumber kLowCodes[40] = {
    kNoError,              // 0
    kPathFileAccessError,  // 1
    kFileNotFound,         // 2
    kPathNotFound,         // 3
    kTooManyFiles,         // 4
    kPermissionDenied,     // 5
    kDeviceIoError,        // 6
    kGlobalMemoryCorrupt,  // 7
    kOutOfMemory,          // 8
    kGlobalMemoryCorrupt,  // 9
    kGlobalMemoryCorrupt,  // 10
    kInternalError,        // 11
    kInternalError,        // 12
    kInternalError,        // 13
    kOutOfMemory,          // 14
    kDeviceUnavailable,    // 15
    kPathFileAccessError,  // 16
    kRenameAcrossDisks,    // 17
    kFileNotFound,         // 18
    kPermissionDenied,     // 19
    kDeviceUnavailable,    // 20
    kDiskNotReady,         // 21
    kInternalError,        // 22
    kDiskMediaError,       // 23
    kInternalError,        // 24
    kDiskMediaError,       // 25
    kDiskMediaError,       // 26
    kDiskMediaError,       // 27
    kDiskMediaError,       // 28
    kDiskMediaError,       // 29
    kDiskMediaError,       // 30
    kDiskMediaError,       // 31
    kPermissionDenied,     // 32
    kPermissionDenied,     // 33
    kDiskMediaError,       // 34
    kDiskMediaError,       // 35
    kPermissionDenied,     // 36
    kPathFileAccessError,  // 37
    kInputPastEnd,         // 38
    kDiskFull,             // 39
};

}  // namespace

std::string ErrorMessage(int number) {
  if (number < 0 || number > 255) number = 0;
  for (const MessageRow& row : kMessages) {
    if (row.number == number) return row.text;
  }
  return {};
}

ErrorNumber MapOsError(os::WinError code) {
  if (code < std::size(kLowCodes)) return kLowCodes[code];
  if (code == os::kDiskFull) return kDiskFull;
  if (code == os::kInvalidParameter) return kIllegalFunctionCall;
  return kPathFileAccessError;
}

}  // namespace kelvor::files
