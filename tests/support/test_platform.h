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

// Creates a file that the OS counts as hidden, from a base name such as
// "Kelvor7.dat"; returns the name it was given.
std::string MakeHiddenFile(const TestFolder& folder, std::string_view base_name);

// "Software\KelvorTest\<suite>.<test>": the running test's key below HKEY_CURRENT_USER.
std::string TestKeyName();

// Bytes written so far to the block device under a test volume ("X:"), as
// the host's kernel counts them; nothing for a volume without a device.
std::optional<std::uint64_t> BytesWrittenToDevice(std::string_view drive);

// The same for a host mount point, with the host's files (/proc, /sys) read
// through `read`, which gives a file's text from its host path.
using HostFileReader = std::function<std::string(const std::string& host_path)>;
std::optional<std::uint64_t> DeviceBytesWritten(const std::string& mount_point,
                                                const HostFileReader& read);

// The drive types that the test volumes have on this OS: a drive letter
// ("S:") and its type name in the drive list, or "" for a drive that must not
// be listed.
struct DriveExpectation {
  std::string drive;
  std::string type_name;
};
std::vector<DriveExpectation> ExpectedDriveTypes();

// The host's own name for a program path, for looking at the file from
// outside the program: below the drive's mount point natively, the wide name
// under Windows.
std::filesystem::path HostPath(std::string_view program_path);

// Free bytes of a drive, asked of the OS directly (statvfs natively).
std::uint64_t HostFreeBytes(std::string_view drive);

// The program under test (named by KELVOR_PROGRAM) run to its end with the
// given arguments. Its error reports are collected: message boxes, read and
// closed, under Windows; its "Kelvor: ..." lines on standard error elsewhere.
struct ProgramResult {
  int exit_code = -1;
  std::vector<std::string> reports;
};
ProgramResult RunProgram(const std::vector<std::string>& arguments);

// A key of its own for the running test below HKEY_CURRENT_USER, removed
// with its values when the test ends.
class TestRegistry {
 public:
  TestRegistry();
  ~TestRegistry();
  TestRegistry(const TestRegistry&) = delete;
  TestRegistry& operator=(const TestRegistry&) = delete;

  // "HKEY_CURRENT_USER\Software\KelvorTest\<test>"
  std::string KeyPath() const;
  // Sets a value below the test key (subkey may be empty) with the bytes that
  // an 8-bit registry call would read back.
  void Set(std::string_view subkey, std::string_view name, std::uint32_t type,
           std::string_view bytes);
  // Sets a text value in any key below HKEY_CURRENT_USER ("" is the root
  // itself); only the value is removed at the end.
  void SetText(std::string_view key, std::string_view name, std::string_view text);

 private:
  struct Value {
    std::string key;  // below HKEY_CURRENT_USER
    std::string name;
    std::uint32_t type;
    std::string bytes;
  };
  void Store(Value value);
  bool InTestKey(const Value& value) const { return value.key.starts_with(subkey_); }
  std::string subkey_;  // below HKEY_CURRENT_USER
  std::vector<Value> values_;
};

}  // namespace kelvor::test
