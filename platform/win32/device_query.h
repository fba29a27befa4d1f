// Storage properties of a volume's device, asked through a handle that has
// no access rights: enough for queries, and no administrator needed.
#pragma once

#include <windows.h>
#include <winioctl.h>

#include <vector>

namespace kelvor::os {

HANDLE OpenForQueries(char letter);

// The property's descriptor; empty where the device does not tell.
std::vector<BYTE> QueryProperty(HANDLE volume, STORAGE_PROPERTY_ID property);

}  // namespace kelvor::os
