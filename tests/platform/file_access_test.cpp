// The file-access layer against the real file system of each OS.
#include "files/file_access.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_folder.h"
#include "test_platform.h"

namespace kelvor::files {
namespace {

using test::TestFolder;

class FileAccess : public testing::Test {
 protected:
  void TearDown() override {
    ErrorState ignored;
    CloseAllFiles(ignored);
  }
  // The error the statement recorded, cleared for the next one.
  ErrorNumber Taken() {
    ErrorNumber number = state_.Number();
    state_.Clear();
    return number;
  }
  TestFolder folder_;
  ErrorState state_;
};

TEST_F(FileAccess, AReadBinaryFileIsOnlyReadAndSharedWithOtherReadersButNotWriters) {
  // A file on a read-only volume: not even an administrator may write it.
  const std::string name =
      std::string(test::kReadOnlyDrive) + "\\" + std::string(test::kReadOnlyFile);
  OpenFile(state_, name, FileMode::kReadBinary, 1);
  OpenFile(state_, name, FileMode::kReadBinary, 2);
  ASSERT_EQ(Taken(), kNoError);
  char bytes[100];
  EXPECT_EQ(ReadBytes(state_, 1, bytes, 4), 4u);
  EXPECT_EQ(std::string_view(bytes, 4), test::kReadOnlyFileText.substr(0, 4));
  std::size_t read = ReadBytes(state_, 2, bytes, sizeof bytes);  // stops at the end
  EXPECT_EQ(std::string_view(bytes, read), test::kReadOnlyFileText);
  EXPECT_EQ(ReadBytes(state_, 2, bytes, sizeof bytes), 0u);
  EXPECT_EQ(Taken(), kNoError);

  OpenFile(state_, folder_ / "missing.bmp", FileMode::kReadBinary, 3);
  EXPECT_EQ(Taken(), kFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(folder_.Native("missing.bmp")));  // never created

  OpenFile(state_, folder_ / "mine.dat", FileMode::kNewBinary, 4);
  OpenFile(state_, folder_ / "mine.dat", FileMode::kReadBinary, 5);
  EXPECT_EQ(Taken(), kPermissionDenied);
}

// Seen on the device's own count of bytes written, not through the cache:
// the files are still open.
TEST_F(FileAccess, FlushingSendsTheDataOfAnyModeToTheDevice) {
  const std::string binary = std::string(test::kExt4Drive) + "\\flushed.dat";
  const std::string text = std::string(test::kExt4Drive) + "\\flushed.txt";
  constexpr std::size_t kLength = 512 << 10;  // small: the Linux build writes it through the cache
  std::optional<std::uint64_t> before = test::BytesWrittenToDevice(test::kExt4Drive);
  ASSERT_TRUE(before) << "the test cannot see the volume's device";
  OpenFile(state_, binary, FileMode::kNewBinary, 1);
  OpenFile(state_, text, FileMode::kOutput, 2);
  WriteBytes(state_, 1, std::string(kLength, 'z'));
  WriteText(state_, 2, std::string(kLength, 't'));
  FlushFile(state_, 1);
  FlushFile(state_, 2);
  EXPECT_EQ(Taken(), kNoError);
  EXPECT_GE(*test::BytesWrittenToDevice(test::kExt4Drive) - *before, 2 * kLength);
  CloseAllFiles(state_);
  for (const std::string& name : {binary, text}) std::filesystem::remove(test::HostPath(name));
}

}  // namespace
}  // namespace kelvor::files
