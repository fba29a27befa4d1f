// Fresh folders on the test volumes, named with drive letters so that the same
// tests run natively (through KELVOR_DRIVES) and under Wine (through the
// prefix's drive mapping).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvor::test {

inline constexpr std::string_view kWorkDrive = "T:";      // 64 MiB, room for every test
inline constexpr std::string_view kReadOnlyDrive = "W:";  // mounted read-only, holding one file:
inline constexpr std::string_view kReadOnlyFile = "readonly.dat";
inline constexpr std::string_view kReadOnlyFileText = "on a read-only volume";
inline constexpr std::string_view kSmallDrive = "S:";  // 150 MiB: no whole gigabyte free
inline constexpr std::string_view kLargeDrive = "L:";  // 1300 MiB tmpfs: one gigabyte file fits
inline constexpr std::string_view kExt4Drive = "X:";   // 1400 MiB ext4: fills inside the last file

// The host folder of a test volume ("S:" is KELVOR_TEST_VOLUMES/small, as
// tests/support/test-volumes.sh mounts it), or "" for another drive.
std::string VolumeFolder(std::string_view drive);

// A folder of its own for the running test, on the work drive, removed with
// everything in it when the test ends.
class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  // The folder's path with a trailing backslash, "T:\<test>\".
  const std::string& path() const { return path_; }
  // A name in the folder, as the program would write it.
  std::string operator/(std::string_view name) const { return path_ + std::string(name); }

  // Looking at files behind the program's back, through the host's own API.
  std::filesystem::path Native(std::string_view name) const;
  void Write(std::string_view name, std::string_view bytes) const;

 private:
  std::string path_;
};

// A file's whole contents, read through the host's own API.
std::string ReadWholeFile(const std::filesystem::path& path);

}  // namespace kelvor::test
