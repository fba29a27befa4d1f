#include <windows.h>

#include "platform/os_registry.h"

namespace kelvor::os {
namespace {
HKEY AsKey(RegistryKey key) {
  return reinterpret_cast<HKEY>(key);
}
}  // namespace

WinError OpenRegistryKey(RegistryKey root, const char* subkey, std::uint32_t options,
                         std::uint32_t access, RegistryKey* opened) {
  HKEY key = nullptr;
  LONG result = RegOpenKeyExA(AsKey(root), subkey, options, access, &key);
  *opened = reinterpret_cast<RegistryKey>(key);
  return static_cast<WinError>(result);
}

WinError QueryRegistryValue(RegistryKey key, const char* value_name, std::uint32_t* type,
                            unsigned char* buffer, std::uint32_t* size) {
  DWORD value_type = *type;
  DWORD value_size = *size;
  LONG result = RegQueryValueExA(AsKey(key), value_name, nullptr, &value_type, buffer, &value_size);
  *type = value_type;
  *size = value_size;
  return static_cast<WinError>(result);
}

WinError CloseRegistryKey(RegistryKey key) {
  return static_cast<WinError>(RegCloseKey(AsKey(key)));
}

}  // namespace kelvor::os
