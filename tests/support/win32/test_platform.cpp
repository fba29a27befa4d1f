// Windows side of the platform tests: the drive letters come from the Wine
// prefix, and the registry is the real one.
#include "test_platform.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/os_files.h"

namespace kelvor::test {

namespace {

void DeleteKeyTree(HKEY parent, const std::string& subkey) {
  HKEY key;
  if (RegOpenKeyExA(parent, subkey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char child[256];
  for (;;) {
    DWORD length = sizeof child;
    if (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    DeleteKeyTree(key, child);
  }
  RegCloseKey(key);
  RegDeleteKeyA(parent, subkey.c_str());
}

// The host folders of the test volumes that the prefix maps to drives
// (tests/support/test-volumes.sh), below KELVOR_TEST_VOLUMES.
constexpr std::pair<std::string_view, const char*> kVolumeFolders[] = {
    {kSmallDrive, "small"}, {kLargeDrive, "large"}, {kExt4Drive, "ext4"}};

// Wine opens a host file by its path below \\?\unix.
std::string ReadHostFile(const std::string& host_path) {
  std::wstring name = L"\\\\?\\unix" + os::ToNativeName(host_path);
  for (wchar_t& c : name) c = c == L'/' ? L'\\' : c;
  std::ifstream file{std::filesystem::path(name)};
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

std::optional<std::uint64_t> BytesWrittenToDevice(std::string_view drive) {
  const char* volumes = std::getenv("KELVOR_TEST_VOLUMES");
  for (auto [volume, folder] : kVolumeFolders) {
    if (volume == drive && volumes) {
      return DeviceBytesWritten(std::string(volumes) + "/" + folder, ReadHostFile);
    }
  }
  return std::nullopt;
}

// The types set through Wine's drive configuration by tests/support/test-volumes.sh.
// (C:, the prefix's own drive, is on the host's disk, whose free space other
// programs change at any moment; the window test sees it listed.)
std::vector<DriveExpectation> ExpectedDriveTypes() {
  return {{"S:", "Ram Disk Drive"}, {"L:", "Ram Disk Drive"},
          {"X:", "Fixed Drive"},    {"D:", ""},
          {"N:", "Network Drive"},  {"R:", "Removable Disk Drive"}};
}

std::filesystem::path HostPath(std::string_view program_path) {
  return os::ToNativeName(program_path);
}

std::uint64_t HostFreeBytes(std::string_view drive) {
  std::wstring root = os::ToNativeName(std::string(drive) + "\\");
  ULARGE_INTEGER available, total, free;
  if (!GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) return 0;
  return free.QuadPart;
}

bool PrepareTestEnvironment() {
  return true;
}

std::string MakeHiddenFile(const TestFolder& folder, std::string_view base_name) {
  std::string name(base_name);
  folder.Write(name, "hidden");
  SetFileAttributesW(os::ToNativeName(folder / name).c_str(), FILE_ATTRIBUTE_HIDDEN);
  return name;
}

TestRegistry::TestRegistry() : subkey_(TestKeyName()) {
  DeleteKeyTree(HKEY_CURRENT_USER, subkey_);
  Store({subkey_, "", 0, ""});
}

TestRegistry::~TestRegistry() {
  for (const Value& value : values_) {
    if (InTestKey(value)) continue;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, value.key.c_str(), 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
      RegDeleteValueA(key, value.name.c_str());
      RegCloseKey(key);
    }
  }
  DeleteKeyTree(HKEY_CURRENT_USER, subkey_);
}

void TestRegistry::Store(Value value) {
  HKEY key;
  LONG created = RegCreateKeyExA(HKEY_CURRENT_USER, value.key.c_str(), 0, nullptr, 0,
                                 KEY_ALL_ACCESS, nullptr, &key, nullptr);
  ASSERT_EQ(created, ERROR_SUCCESS) << value.key;
  if (value.type != 0) {
    LONG set = RegSetValueExA(key, value.name.c_str(), 0, value.type,
                              reinterpret_cast<const BYTE*>(value.bytes.data()),
                              static_cast<DWORD>(value.bytes.size()));
    EXPECT_EQ(set, ERROR_SUCCESS) << value.name;
  }
  RegCloseKey(key);
  values_.push_back(std::move(value));
}

}  // namespace kelvor::test
