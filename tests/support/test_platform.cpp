// What test_platform.h offers alike on every OS.
#include "test_platform.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kelvor::test {

std::string TestKeyName() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  return std::string("Software\\KelvorTest\\") + test->test_suite_name() + "." + test->name();
}

// The device's count from the host's /proc and /sys: the mount table names
// the device, and its stat file counts the sectors written.
std::optional<std::uint64_t> BytesWrittenToDevice(std::string_view drive) {
  constexpr std::uint64_t kSectorSize = 512;  // the unit of /sys/block/*/stat
  constexpr int kSectorsWrittenField = 7;
  const std::string mount_point = VolumeFolder(drive);
  std::istringstream mounts(ReadHostFile("/proc/self/mounts"));
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::string device, mounted_on;
    fields >> device >> mounted_on;
    if (mounted_on != mount_point || !device.starts_with("/dev/")) continue;
    std::istringstream stat(ReadHostFile("/sys/block/" + device.substr(5) + "/stat"));
    std::uint64_t field = 0, sectors_written = 0;
    for (int i = 1; i <= kSectorsWrittenField && stat >> field; ++i) sectors_written = field;
    return sectors_written * kSectorSize;
  }
  return std::nullopt;
}

}  // namespace kelvor::test
