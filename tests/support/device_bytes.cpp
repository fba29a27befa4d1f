// Bytes written to the block device under a mount point, as the kernel counts
// them; read through whatever way the test process has to the host's files.
#include <sstream>

#include "test_platform.h"

namespace kelvor::test {
namespace {
constexpr std::uint64_t kSectorSize = 512;  // the unit of /sys/block/*/stat
constexpr int kSectorsWrittenField = 7;
}  // namespace

std::optional<std::uint64_t> DeviceBytesWritten(const std::string& mount_point,
                                                const HostFileReader& read) {
  std::istringstream mounts(read("/proc/self/mounts"));
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::string device, mounted_on;
    fields >> device >> mounted_on;
    if (mounted_on != mount_point || !device.starts_with("/dev/")) continue;
    std::istringstream stat(read("/sys/block/" + device.substr(5) + "/stat"));
    std::uint64_t field = 0, sectors_written = 0;
    for (int i = 1; i <= kSectorsWrittenField && stat >> field; ++i) sectors_written = field;
    return sectors_written * kSectorSize;
  }
  return std::nullopt;
}

}  // namespace kelvor::test
