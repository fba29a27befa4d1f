// Windows side of the platform tests: the drive letters come from the Wine
// prefix, and the registry is the real one.
#include "test_platform.h"

// The registry calls of Windows Vista and later, which Wine has.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/os_files.h"

namespace kelvor::test {

// Wine opens a host file by its path below \\?\unix.
std::string ReadHostFile(const std::string& host_path) {
  std::wstring name = L"\\\\?\\unix" + os::ToNativeName(host_path);
  for (wchar_t& c : name) c = c == L'/' ? L'\\' : c;
  return ReadWholeFile(name);
}

std::filesystem::path HostPath(std::string_view program_path) {
  return os::ToNativeName(program_path);
}

bool UnderWine() {
  return true;  // the only place this build's tests run
}

std::optional<std::uint64_t> BytesHeld(const std::filesystem::path& host_path) {
  HANDLE file = CreateFileW(host_path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  FILE_STANDARD_INFO info{};
  bool told = GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info);
  CloseHandle(file);
  if (!told) return std::nullopt;
  return static_cast<std::uint64_t>(info.AllocationSize.QuadPart);
}

bool PrepareTestEnvironment() {
  return true;
}

bool FileCameOrWentWhile(const std::filesystem::path& folder, const std::function<void()>& action) {
  HANDLE watch = FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  action();
  bool saw = WaitForSingleObject(watch, 0) == WAIT_OBJECT_0;
  FindCloseChangeNotification(watch);
  return saw;
}

// A key left by a test that crashed goes first.
TestRegistry::TestRegistry() {
  RegDeleteTreeA(HKEY_CURRENT_USER, test_key.c_str());
}

TestRegistry::~TestRegistry() {
  for (const Value& value : values_) {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, value.key.c_str(), value.name.c_str());
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, test_key.c_str());
}

void TestRegistry::Set(std::string_view key, std::string_view name, std::uint32_t type,
                       std::string_view bytes) {
  values_.push_back({std::string(key), std::string(name), type, std::string(bytes)});
  LONG set =
      RegSetKeyValueA(HKEY_CURRENT_USER, values_.back().key.c_str(), values_.back().name.c_str(),
                      type, bytes.data(), static_cast<DWORD>(bytes.size()));
  ASSERT_EQ(set, ERROR_SUCCESS) << key << "\\" << name;
}

}  // namespace kelvor::test
