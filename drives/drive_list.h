// The drives that may be wiped: letters C to Z whose type is fixed, network,
// RAM disk or removable, in letter order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvor::drives {

// The drive-type code of a root path, as GetDriveTypeA gives it.
using DriveTypeQuery = unsigned (*)(std::string_view root_path);

unsigned SystemDriveType(std::string_view root_path);

struct Drive {
  char letter = 0;               // 'C'
  std::string root;              // "C:\"
  std::string type_name;         // "Fixed Drive"
  std::uint64_t free_bytes = 0;  // once measured (MeasureFreeBytes); 0 when it cannot be
};
using DriveList = std::vector<Drive>;

// "[Fixed Drive]", "[CD Rom Drive]", ... for the drive at a root path.
std::string DriveTypeLabel(std::string_view root_path, DriveTypeQuery query = SystemDriveType);

DriveList BuildDriveList(DriveTypeQuery query = SystemDriveType);

// "C:\    Fixed Drive": root path, four blanks, type name.
std::string DriveListLine(const Drive& drive);

// The list as text: one line per drive, root path, four blanks, type name, CR LF.
std::string DriveListText(const DriveList& drives);

// Measures the free bytes of every drive in the list.
void MeasureFreeBytes(DriveList& drives);

}  // namespace kelvor::drives
