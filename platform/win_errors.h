// Windows error codes: the language of the OS seam. Both implementations
// report failures with these numbers, whatever the OS underneath says.
#pragma once

#include <cstdint>

namespace kelvor::os {

using WinError = std::uint32_t;

inline constexpr WinError kSuccess = 0;
inline constexpr WinError kInvalidFunction = 1;
inline constexpr WinError kFileNotFound = 2;
inline constexpr WinError kPathNotFound = 3;
inline constexpr WinError kTooManyOpenFiles = 4;
inline constexpr WinError kAccessDenied = 5;
inline constexpr WinError kInvalidHandle = 6;
inline constexpr WinError kNotEnoughMemory = 8;
inline constexpr WinError kNotSameDevice = 17;
inline constexpr WinError kNoMoreFiles = 18;
inline constexpr WinError kWriteProtect = 19;
inline constexpr WinError kNotReady = 21;
inline constexpr WinError kCrc = 23;
inline constexpr WinError kGenFailure = 31;
inline constexpr WinError kSharingViolation = 32;
inline constexpr WinError kHandleEof = 38;
inline constexpr WinError kHandleDiskFull = 39;
inline constexpr WinError kNotSupported = 50;
inline constexpr WinError kInvalidParameter = 87;
inline constexpr WinError kDiskFull = 112;
inline constexpr WinError kSemTimeout = 121;
inline constexpr WinError kDirNotEmpty = 145;
inline constexpr WinError kBusy = 170;
inline constexpr WinError kAlreadyExists = 183;
inline constexpr WinError kFilenameTooLong = 206;
inline constexpr WinError kFileTooLarge = 223;
inline constexpr WinError kMoreData = 234;
inline constexpr WinError kDirectory = 267;
inline constexpr WinError kDiskQuotaExceeded = 1295;
inline constexpr WinError kCantResolveFilename = 1921;

}  // namespace kelvor::os
