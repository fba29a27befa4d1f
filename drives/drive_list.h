// The drives that may be wiped: letters C to Z whose type is fixed, network,
// RAM disk or removable, one line each: root path, four blanks, type name, CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvor::drives {

// The drive-type code of a root path, as GetDriveTypeA gives it.
using DriveTypeQuery = unsigned (*)(std::string_view root_path);

unsigned SystemDriveType(std::string_view root_path);

// "[Fixed Drive]", "[CD Rom Drive]", ... for the drive at a root path.
std::string DriveTypeLabel(std::string_view root_path, DriveTypeQuery query = SystemDriveType);

// Sets count to the number of lines and returns the text.
std::string BuildDriveList(std::int16_t& count, DriveTypeQuery query = SystemDriveType);

}  // namespace kelvor::drives
