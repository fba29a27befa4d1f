// Read-only registry primitives of the OS seam, shaped like RegOpenKeyExA,
// RegQueryValueExA and RegCloseKey. Results are Windows error codes.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_errors.h"

namespace kelvor::os {

using RegistryKey = std::uintptr_t;  // a predefined root key or an opened key

// The predefined root keys and their names.
struct PredefinedKey {
  RegistryKey key;
  const char* name;
};
inline constexpr PredefinedKey kPredefinedKeys[] = {
    {0x80000000, "HKEY_CLASSES_ROOT"},     {0x80000001, "HKEY_CURRENT_USER"},
    {0x80000002, "HKEY_LOCAL_MACHINE"},    {0x80000003, "HKEY_USERS"},
    {0x80000004, "HKEY_PERFORMANCE_DATA"}, {0x80000005, "HKEY_CURRENT_CONFIG"},
    {0x80000006, "HKEY_DYN_DATA"}};

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

WinError OpenRegistryKey(RegistryKey root, const char* subkey, std::uint32_t options,
                         std::uint32_t access, RegistryKey* opened);
// Copies the value's data into buffer; *size is the buffer's size going in and
// the data's size coming out. Data larger than the buffer gives kMoreData.
WinError QueryRegistryValue(RegistryKey key, const char* value_name, std::uint32_t* type,
                            unsigned char* buffer, std::uint32_t* size);
WinError CloseRegistryKey(RegistryKey key);

}  // namespace kelvor::os
