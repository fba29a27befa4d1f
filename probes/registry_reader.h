// Reads one registry value, addressed by a full key path such as
// "HKEY_CURRENT_USER\Control Panel\Desktop", as text. Every failure gives the
// empty text. Nothing is ever written to the registry.
#pragma once

#include <string>
#include <string_view>

#include "platform/os_registry.h"

namespace kelvor::probes {

// The predefined key for an exact root-key name ("HKEY_CURRENT_USER"), or 0.
os::RegistryKey RootKeyFromName(std::string_view name);

// For a valid path (it begins with "HKEY_" and does not end with "\"), sets the
// root key from the part before the first "\" and leaves the rest in path.
// An invalid path changes neither.
void SplitRegistryPath(std::string& path, os::RegistryKey& root);

std::string ReadRegistryString(const std::string& key_path, const std::string& value_name);

}  // namespace kelvor::probes
