// Error numbers: what every failing file or folder operation records, with the
// message texts that the error report shows.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_errors.h"

namespace kelvor::files {

using ErrorNumber = std::uint8_t;

inline constexpr ErrorNumber kNoError = 0;
inline constexpr ErrorNumber kIllegalFunctionCall = 5;
inline constexpr ErrorNumber kOutOfMemory = 7;
inline constexpr ErrorNumber kInternalError = 51;
inline constexpr ErrorNumber kBadFileNameOrNumber = 52;
inline constexpr ErrorNumber kFileNotFound = 53;
inline constexpr ErrorNumber kBadFileMode = 54;
inline constexpr ErrorNumber kFileIsOpen = 55;
inline constexpr ErrorNumber kDeviceIoError = 57;
inline constexpr ErrorNumber kDiskFull = 61;
inline constexpr ErrorNumber kInputPastEnd = 62;
inline constexpr ErrorNumber kBadFileName = 64;
inline constexpr ErrorNumber kTooManyFiles = 67;
inline constexpr ErrorNumber kDeviceUnavailable = 68;
inline constexpr ErrorNumber kRenameAcrossDisks = 74;
inline constexpr ErrorNumber kDiskNotReady = 71;
inline constexpr ErrorNumber kDiskMediaError = 72;
inline constexpr ErrorNumber kPermissionDenied = 70;
inline constexpr ErrorNumber kPathFileAccessError = 75;
inline constexpr ErrorNumber kPathNotFound = 76;
// Numbers from here up are fatal: they end the process.
inline constexpr ErrorNumber kFirstFatalError = 241;
inline constexpr ErrorNumber kGlobalMemoryCorrupt = 241;

// The message for an error number; numbers outside 0 to 255 count as 0, and a
// number without a message gives the empty text.
std::string ErrorMessage(int number);

// The error number for a non-zero Windows error code.
ErrorNumber MapOsError(os::WinError code);

}  // namespace kelvor::files
