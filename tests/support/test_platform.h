// What the platform tests do differently on each OS.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "test_folder.h"

namespace kelvor::test {

// Points the program's drive letters (and registry) at the test volumes.
// Returns false, after saying why, when that cannot be done.
bool PrepareTestEnvironment();

// "Software\KelvorTest\<suite>.<test>": the running test's key below HKEY_CURRENT_USER.
std::string TestKeyName();

// Bytes written so far to the block device under a test volume ("X:"), as
// the host's kernel counts them; nothing for a volume without a device.
std::optional<std::uint64_t> BytesWrittenToDevice(std::string_view drive);

// The text of one of the host's files ("/proc/self/mounts"), read the way
// this process can.
std::string ReadHostFile(const std::string& host_path);

// Whether the tests run as a Windows program under Wine, whose file reads
// always pass through the host's cache.
bool UnderWine();

// The host's own name for a program path, for looking at the file from
// outside the program: below the drive's mount point natively, the wide name
// under Windows.
std::filesystem::path HostPath(std::string_view program_path);

// The bytes of storage that a file holds (its allocated blocks), as the host
// counts them; nothing where they cannot be told.
std::optional<std::uint64_t> BytesHeld(const std::filesystem::path& host_path);

// Whether a file was made, deleted or renamed in the folder while `action`
// ran, as the OS's change notification tells: a file made and deleted again
// leaves no other trace.
bool FileCameOrWentWhile(const std::filesystem::path& folder, const std::function<void()>& action);

// Registry values set for the running test, removed when it ends, and with
// them the test's own key and everything below it.
class TestRegistry {
 public:
  TestRegistry();
  ~TestRegistry();
  TestRegistry(const TestRegistry&) = delete;
  TestRegistry& operator=(const TestRegistry&) = delete;

  // Sets a value in a key below HKEY_CURRENT_USER ("" is the root itself)
  // with the bytes that an 8-bit registry call would read back.
  void Set(std::string_view key, std::string_view name, std::uint32_t type, std::string_view bytes);

  const std::string test_key = TestKeyName();  // below HKEY_CURRENT_USER

 private:
  struct Value {
    std::string key;
    std::string name;
    std::uint32_t type;
    std::string bytes;
  };
  std::vector<Value> values_;
};

}  // namespace kelvor::test
