// Fresh folders on the test volumes, named with drive letters so that the same
// tests run natively (through KELVOR_DRIVES) and under Wine (through the
// prefix's drive mapping).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvor::test {

// The test volumes by drive letter and folder below KELVOR_TEST_VOLUMES, as
// tests/support/test-volumes.txt lays them out and says what each is for.
struct TestVolume {
  std::string_view drive;
  std::string_view folder;
};
inline constexpr TestVolume kTestVolumes[] = {KELVOR_TEST_VOLUME_LAYOUT};

// The drive letter of the volume in `folder`; a folder that the layout lacks
// stops the compiler.
consteval std::string_view DriveOf(std::string_view folder) {
  for (const TestVolume& volume : kTestVolumes) {
    if (volume.folder == folder) return volume.drive;
  }
  throw "no test volume in this folder";
}

inline constexpr std::string_view kWorkDrive = DriveOf("work");
inline constexpr std::string_view kReadOnlyDrive = DriveOf("ro");  // holding one file:
inline constexpr std::string_view kReadOnlyFile = "readonly.dat";
inline constexpr std::string_view kReadOnlyFileText = "on a read-only volume";
inline constexpr std::string_view kSmallDrive = DriveOf("small");
inline constexpr std::string_view kLargeDrive = DriveOf("large");
inline constexpr std::string_view kExt4Drive = DriveOf("ext4");
inline constexpr std::string_view kSlowDrive = DriveOf("slow");  // writes at 3 MB/s

// The host folder of a test volume (kSmallDrive is KELVOR_TEST_VOLUMES/small,
// as tests/support/test-volumes.sh mounts it), or "" for another drive.
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
