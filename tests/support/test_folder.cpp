#include "test_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "test_platform.h"

namespace kelvor::test {

TestFolder::TestFolder() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  path_ = std::string(kWorkDrive) + "\\" + test->test_suite_name() + "." + test->name() + "\\";
  std::filesystem::path native = Native("");
  std::filesystem::remove_all(native);
  std::filesystem::create_directories(native);
}

TestFolder::~TestFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Native(""), ignored);
}

std::filesystem::path TestFolder::Native(std::string_view name) const {
  return HostPath(*this / name);
}

void TestFolder::Write(std::string_view name, std::string_view bytes) const {
  std::ofstream file(Native(name), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(file.good()) << "could not write " << name;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::string VolumeFolder(std::string_view drive) {
  const char* volumes = std::getenv("KELVOR_TEST_VOLUMES");
  for (const TestVolume& volume : kTestVolumes) {
    if (volumes && volume.drive == drive)
      return std::string(volumes) + "/" + std::string(volume.folder);
  }
  return "";
}

}  // namespace kelvor::test
