// Filling the drive selector: one entry per listed drive, with its free space.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "drives/drive_list.h"

namespace kelvor::engine {

// The combo box of the main window that lists the drives.
class DriveSelector {
 public:
  virtual ~DriveSelector() = default;
  virtual void InsertEntry(int index, std::string_view text) = 0;
  virtual void SelectEntry(int index) = 0;
};

// "    12.35 GB Free" or "    500 MB Free" (three blanks, then the number text
// with its own): gigabytes from 1.0 up, megabytes
// below, chosen on the unrounded value, rounded to 2 decimals, 7 digits.
std::string FreeSpaceSuffix(std::uint64_t free_bytes);

// Inserts line i of the drive list at index i - 1 with its free-space suffix,
// then selects entry 0. A drive whose free space cannot be measured shows
// " 0 MB Free".
void FillDriveSelector(DriveSelector& selector,
                       drives::DriveTypeQuery query = drives::SystemDriveType);

}  // namespace kelvor::engine
