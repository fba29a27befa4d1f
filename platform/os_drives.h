// Drive queries of the OS seam. Drives are named by their root, "C:".
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_errors.h"

namespace kelvor::os {

// All free bytes of the volume (Windows' "total number of free bytes"). On
// failure *total_free is left as it was.
WinError QueryFreeBytes(std::string_view drive_root, std::uint64_t* total_free);

}  // namespace kelvor::os
