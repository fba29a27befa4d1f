// The file-access layer against the real file system of each OS.
#include "files/file_access.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_folder.h"
#include "test_platform.h"

namespace kelvor::files {
namespace {

using test::TestFolder;

class FileAccessTest : public testing::Test {
 protected:
  // The number of a statement's status.
  static ErrorNumber N(Status status) { return status.number; }
  std::size_t Read(FileNumber number, char* into, std::size_t count) {
    std::size_t read = 0;
    EXPECT_EQ(N(files_.ReadBytes(number, into, count, &read)), kNoError);
    return read;
  }
  TestFolder folder_;
  os::DriveHold nothing_held_;
  FileAccess files_{nothing_held_};
};

TEST_F(FileAccessTest, AReadBinaryFileIsOnlyReadAndSharedWithOtherReadersButNotWriters) {
  // A file on a read-only volume: not even an administrator may write it.
  const std::string name =
      std::string(test::kReadOnlyDrive) + "\\" + std::string(test::kReadOnlyFile);
  ASSERT_EQ(N(files_.OpenFile(name, FileMode::kReadBinary, 1)), kNoError);
  ASSERT_EQ(N(files_.OpenFile(name, FileMode::kReadBinary, 2)), kNoError);
  char bytes[100];
  EXPECT_EQ(Read(1, bytes, 4), 4u);
  EXPECT_EQ(std::string_view(bytes, 4), test::kReadOnlyFileText.substr(0, 4));
  std::size_t read = Read(2, bytes, sizeof bytes);  // stops at the end
  EXPECT_EQ(std::string_view(bytes, read), test::kReadOnlyFileText);
  EXPECT_EQ(Read(2, bytes, sizeof bytes), 0u);

  EXPECT_EQ(N(files_.OpenFile(folder_ / "missing.bmp", FileMode::kReadBinary, 3)), kFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(folder_.Native("missing.bmp")));  // never created

  EXPECT_EQ(N(files_.OpenFile(folder_ / "mine.dat", FileMode::kNewBinary, 4)), kNoError);
  EXPECT_EQ(N(files_.OpenFile(folder_ / "mine.dat", FileMode::kReadBinary, 5)), kPermissionDenied);
}

// Seen on the device's own count of bytes written, not through the cache:
// the files are still open.
TEST_F(FileAccessTest, FlushingSendsTheDataOfAnyModeToTheDevice) {
  const std::string binary = std::string(test::kExt4Drive) + "\\flushed.dat";
  const std::string text = std::string(test::kExt4Drive) + "\\flushed.txt";
  constexpr std::size_t kLength = 512 << 10;  // small: the Linux build writes it through the cache
  std::optional<std::uint64_t> before = test::BytesWrittenToDevice(test::kExt4Drive);
  ASSERT_TRUE(before) << "the test cannot see the volume's device";
  ASSERT_EQ(N(files_.OpenFile(binary, FileMode::kNewBinary, 1)), kNoError);
  ASSERT_EQ(N(files_.OpenFile(text, FileMode::kOutput, 2)), kNoError);
  std::size_t written = 0;
  EXPECT_EQ(N(files_.WriteBytes(1, std::string(kLength, 'z'), &written)), kNoError);
  EXPECT_EQ(N(files_.WriteText(2, std::string(kLength, 't'))), kNoError);
  EXPECT_EQ(N(files_.FlushFile(1)), kNoError);
  EXPECT_EQ(N(files_.FlushFile(2)), kNoError);
  EXPECT_GE(*test::BytesWrittenToDevice(test::kExt4Drive) - *before, 2 * kLength);
  EXPECT_EQ(N(files_.CloseAllFiles()), kNoError);
  for (const std::string& name : {binary, text}) std::filesystem::remove(test::HostPath(name));
}

// A block that a file holds but was never written keeps what it held before,
// out of every later fill's reach: a large write, which the Linux build
// sends straight to the device with its blocks allocated ahead, leaves the
// file holding its own bytes' blocks and no more.
TEST_F(FileAccessTest, ALargeWriteHoldsNoBlockBeyondItsBytes) {
  const std::string name = std::string(test::kExt4Drive) + "\\large.dat";
  constexpr std::size_t kLength = (24 << 20) + 100;  // large, and not whole blocks
  constexpr std::size_t kBlock = 4096;               // the ext4 volume's
  ASSERT_EQ(N(files_.OpenFile(name, FileMode::kNewBinary, 1)), kNoError);
  std::size_t written = 0;
  EXPECT_EQ(N(files_.WriteBytes(1, std::string(kLength, 'b'), &written)), kNoError);
  EXPECT_EQ(written, kLength);
  EXPECT_EQ(N(files_.CloseAllFiles()), kNoError);
  EXPECT_EQ(std::filesystem::file_size(test::HostPath(name)), kLength);
  std::optional<std::uint64_t> held = test::BytesHeld(test::HostPath(name));
  ASSERT_TRUE(held) << "the test cannot see the file's blocks";
  EXPECT_LE(*held, (kLength + kBlock - 1) / kBlock * kBlock);
  std::filesystem::remove(test::HostPath(name));
}

}  // namespace
}  // namespace kelvor::files
