// Windows side of the platform tests: the drive letters come from the Wine
// prefix, and the registry is the real one.
#include "test_platform.h"

#include <gtest/gtest.h>
#include <windows.h>

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

}  // namespace

// Wine opens a host file by its path below \\?\unix.
std::string ReadHostFile(const std::string& host_path) {
  std::wstring name = L"\\\\?\\unix" + os::ToNativeName(host_path);
  for (wchar_t& c : name) c = c == L'/' ? L'\\' : c;
  return ReadWholeFile(name);
}

std::filesystem::path HostPath(std::string_view program_path) {
  return os::ToNativeName(program_path);
}

bool PrepareTestEnvironment() {
  return true;
}

FolderWatch::FolderWatch(const std::filesystem::path& folder)
    : handle_(reinterpret_cast<std::intptr_t>(
          FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME))) {}

FolderWatch::~FolderWatch() {
  FindCloseChangeNotification(reinterpret_cast<HANDLE>(handle_));
}

bool FolderWatch::SawAFileComeOrGo() const {
  return WaitForSingleObject(reinterpret_cast<HANDLE>(handle_), 0) == WAIT_OBJECT_0;
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
