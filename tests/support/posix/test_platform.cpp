// POSIX side of the platform tests: drive letters through KELVOR_DRIVES, the
// registry as a ".reg" file named by KELVOR_REGISTRY.
#include "test_platform.h"

#include <sys/statvfs.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "drive_map.h"
#include "platform/os_registry.h"

namespace kelvor::test {

namespace {

std::string VolumesRoot() {
  const char* root = std::getenv("KELVOR_TEST_VOLUMES");
  return root ? root : "";
}

std::string ReadText(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string RegistryFile() {
  return VolumesRoot() + "/work/test-registry.reg";
}

std::string HexList(std::string_view bytes) {
  std::string list;
  char item[4];
  for (unsigned char byte : bytes) {
    std::snprintf(item, sizeof item, "%02x", byte);
    if (!list.empty()) list += ",";
    list += item;
  }
  return list;
}

// How regedit writes a value's data.
std::string RegData(std::uint32_t type, std::string_view bytes) {
  if (type == os::kRegSz) {
    std::string quoted = "\"";
    for (char c : bytes.substr(0, bytes.find('\0'))) {
      if (c == '"' || c == '\\') quoted += '\\';
      quoted += c;
    }
    return quoted + "\"";
  }
  if (type == os::kRegDword && bytes.size() == 4) {
    char number[16];
    std::snprintf(number, sizeof number, "dword:%02x%02x%02x%02x", (unsigned char)bytes[3],
                  (unsigned char)bytes[2], (unsigned char)bytes[1], (unsigned char)bytes[0]);
    return number;
  }
  if (type == os::kRegExpandSz || type == os::kRegMultiSz) {
    std::string wide;  // the tests use ASCII text only
    for (char c : bytes) wide += std::string{c, '\0'};
    return "hex(" + std::to_string(type) + "):" + HexList(wide);
  }
  if (type == os::kRegBinary) return "hex:" + HexList(bytes);
  return "hex(" + std::to_string(type) + "):" + HexList(bytes);
}

}  // namespace

std::optional<std::uint64_t> BytesWrittenToDevice(std::string_view drive) {
  std::string mount_point = os::MapDrivePath(drive, os::CurrentDriveMap());
  if (!mount_point.empty() && mount_point.back() == '/') mount_point.pop_back();
  return DeviceBytesWritten(mount_point, ReadText);
}

std::filesystem::path HostPath(std::string_view program_path) {
  return os::MapDrivePath(program_path, os::CurrentDriveMap());
}

std::vector<DriveExpectation> ExpectedDriveTypes() {
  return {{"S:", "Ram Disk Drive"}, {"L:", "Ram Disk Drive"}, {"X:", "Fixed Drive"}};
}

std::uint64_t HostFreeBytes(std::string_view drive) {
  struct statvfs volume;
  std::string mount_point = os::MapDrivePath(drive, os::CurrentDriveMap());
  if (statvfs(mount_point.c_str(), &volume) != 0) return 0;
  return static_cast<std::uint64_t>(volume.f_bfree) * volume.f_frsize;
}

bool PrepareTestEnvironment() {
  std::string root = VolumesRoot();
  if (root.empty()) {
    std::fprintf(stderr,
                 "KELVOR_TEST_VOLUMES must name the test volumes (tests/support/test-volumes.sh)\n");
    return false;
  }
  std::string drives = "T=" + root + "/work;F=" + root + "/full;W=" + root + "/ro;S=" + root +
                       "/small;L=" + root + "/large;X=" + root + "/ext4";
  setenv("KELVOR_DRIVES", drives.c_str(), 1);
  setenv("KELVOR_REGISTRY", RegistryFile().c_str(), 1);
  return true;
}

std::string MakeHiddenFile(const TestFolder& folder, std::string_view base_name) {
  std::string name = "." + std::string(base_name);  // hidden, as Wine shows dot files
  folder.Write(name, "hidden");
  return name;
}

TestRegistry::TestRegistry() : subkey_(TestKeyName()) {
  Store({subkey_, "", 0, ""});
}

TestRegistry::~TestRegistry() {
  std::remove(RegistryFile().c_str());
}

void TestRegistry::Store(Value value) {
  values_.push_back(std::move(value));
  std::ofstream file(RegistryFile(), std::ios::binary | std::ios::trunc);
  file << "Windows Registry Editor Version 5.00\r\n";
  for (const Value& v : values_) {
    file << "\r\n[HKEY_CURRENT_USER" << (v.key.empty() ? "" : "\\" + v.key) << "]\r\n";
    if (v.type == 0) continue;  // the bare key
    std::string name = v.name.empty() ? "@" : "\"" + v.name + "\"";
    file << name << "=" << RegData(v.type, v.bytes) << "\r\n";
  }
}

}  // namespace kelvor::test
