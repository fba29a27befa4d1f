// POSIX side of the platform tests: drive letters through KELVOR_DRIVES, the
// registry as a ".reg" file named by KELVOR_REGISTRY.
#include "test_platform.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/os_registry.h"

namespace kelvor::test {

namespace {

std::string RegistryFile() {
  return VolumeFolder(kWorkDrive) + "/test-registry.reg";
}

// How regedit writes a value's data of any type: its bytes, those of the
// expandable and multi-string types as UTF-16 text.
std::string RegData(std::uint32_t type, std::string_view bytes) {
  bool wide = type == os::kRegExpandSz || type == os::kRegMultiSz;
  std::string list = "hex(" + std::to_string(type) + "):";
  char item[8];
  for (unsigned char byte : bytes) {
    std::snprintf(item, sizeof item, wide ? "%02x,00," : "%02x,", byte);
    list += item;
  }
  list.pop_back();
  return list;
}

}  // namespace

std::string ReadHostFile(const std::string& host_path) {
  return ReadWholeFile(host_path);
}

// Drive letters as KELVOR_DRIVES maps them (PrepareTestEnvironment).
std::filesystem::path HostPath(std::string_view program_path) {
  std::string path(program_path);
  if (path.size() >= 2 && path[1] == ':')
    path = VolumeFolder(path.substr(0, 2)) + "/" + path.substr(2);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool UnderWine() {
  return false;
}

std::optional<std::uint64_t> BytesHeld(const std::filesystem::path& host_path) {
  constexpr std::uint64_t kStatBlock = 512;  // st_blocks' unit, whatever the filesystem's
  struct stat info;
  if (stat(host_path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_blocks) * kStatBlock;
}

bool PrepareTestEnvironment() {
  if (VolumeFolder(kWorkDrive).empty()) {
    std::fprintf(
        stderr, "KELVOR_TEST_VOLUMES must name the test volumes (tests/support/test-volumes.sh)\n");
    return false;
  }
  std::string drives;
  for (std::string_view drive :
       {kWorkDrive, kReadOnlyDrive, kSmallDrive, kLargeDrive, kExt4Drive}) {
    drives += std::string(1, drive[0]) + "=" + VolumeFolder(drive) + ";";
  }
  setenv("KELVOR_DRIVES", drives.c_str(), 1);
  setenv("KELVOR_REGISTRY", RegistryFile().c_str(), 1);
  return true;
}

bool FileCameOrWentWhile(const std::filesystem::path& folder, const std::function<void()>& action) {
  int watch = inotify_init1(IN_NONBLOCK);
  inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_DELETE | IN_MOVE);
  action();
  char events[4096];
  bool saw = read(watch, events, sizeof events) > 0;
  close(watch);
  return saw;
}

TestRegistry::TestRegistry() = default;

TestRegistry::~TestRegistry() {
  std::remove(RegistryFile().c_str());
}

void TestRegistry::Set(std::string_view key, std::string_view name, std::uint32_t type,
                       std::string_view bytes) {
  values_.push_back({std::string(key), std::string(name), type, std::string(bytes)});
  std::ofstream file(RegistryFile(), std::ios::binary | std::ios::trunc);
  file << "Windows Registry Editor Version 5.00\r\n";
  for (const Value& v : values_) {
    file << "\r\n[HKEY_CURRENT_USER" << (v.key.empty() ? "" : "\\" + v.key) << "]\r\n"
         << (v.name.empty() ? "@" : "\"" + v.name + "\"") << "=" << RegData(v.type, v.bytes)
         << "\r\n";
  }
}

}  // namespace kelvor::test
