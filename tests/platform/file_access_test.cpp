// The file-access layer against the real file system of each OS.
#include "files/file_access.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/os_files.h"
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
  TestFolder folder_;
  ErrorState state_;
};

TEST_F(FileAccess, OpenChecksNameAndNumberBeforeTouchingTheDisk) {
  OpenFile(state_, "", FileMode::kNewBinary, 1);
  EXPECT_EQ(state_.Number(), kBadFileName);
  OpenFile(state_, folder_ / "Kelvor*.dat", FileMode::kNewBinary, 1);
  EXPECT_EQ(state_.Number(), kBadFileName);
  state_.Clear();
  OpenFile(state_, folder_ / "a?.dat", FileMode::kOutput, 1);
  EXPECT_EQ(state_.Number(), kBadFileName);
  OpenFile(state_, folder_ / "a.dat", FileMode::kNewBinary, -1);
  EXPECT_EQ(state_.Number(), kBadFileNameOrNumber);
  EXPECT_FALSE(folder_.Exists("a.dat"));
}

TEST_F(FileAccess, ASecondOpenUnderTheSameNumberLeavesTheFirstFileUntouched) {
  OpenFile(state_, folder_ / "first.dat", FileMode::kNewBinary, 1);
  ASSERT_EQ(state_.Number(), kNoError);
  OpenFile(state_, folder_ / "second.dat", FileMode::kNewBinary, 1);
  EXPECT_EQ(state_.Number(), kFileIsOpen);
  EXPECT_FALSE(folder_.Exists("second.dat"));
  state_.Clear();
  WriteBytes(state_, 1, "still open");
  CloseFile(state_, 1);
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_EQ(folder_.Read("first.dat"), "still open");
}

TEST_F(FileAccess, OperationsOnClosedNumbersAndInTheWrongMode) {
  CloseFile(state_, 7);
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_EQ(FileLength(state_, 7), 0u);
  EXPECT_EQ(state_.Number(), kBadFileNameOrNumber);
  state_.Clear();
  WriteBytes(state_, 7, "x");
  EXPECT_EQ(state_.Number(), kBadFileNameOrNumber);
  state_.Clear();
  FlushFile(state_, 7);
  EXPECT_EQ(state_.Number(), kBadFileNameOrNumber);
  state_.Clear();

  OpenFile(state_, folder_ / "out.txt", FileMode::kOutput, 2);
  ASSERT_EQ(state_.Number(), kNoError);
  WriteBytes(state_, 2, "x");
  EXPECT_EQ(state_.Number(), kBadFileMode);
  state_.Clear();
  EXPECT_EQ(ReadLine(state_, 2), "");
  EXPECT_EQ(state_.Number(), kBadFileMode);
  state_.Clear();
  OpenFile(state_, folder_ / "bin.dat", FileMode::kNewBinary, 1);
  WriteText(state_, 1, "x");
  EXPECT_EQ(state_.Number(), kBadFileMode);
  state_.Clear();
  char byte;
  EXPECT_EQ(ReadBytes(state_, 1, &byte, 1), 0u);  // a fill file is only written
  EXPECT_EQ(state_.Number(), kBadFileMode);
  state_.Clear();
  folder_.Write("pattern.bmp", "p");
  OpenFile(state_, folder_ / "pattern.bmp", FileMode::kReadBinary, 3);
  WriteBytes(state_, 3, "x");  // a pattern file is only read
  EXPECT_EQ(state_.Number(), kBadFileMode);
}

TEST_F(FileAccess, ANewBinaryFileIsMadeNewAndNothingInItsPlaceIsWritten) {
  OpenFile(state_, folder_ / "new.dat", FileMode::kNewBinary, 1);
  WriteBytes(state_, 1, std::string("\0\xff\r\n", 4));
  CloseFile(state_, 1);
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_EQ(folder_.Read("new.dat"), std::string("\0\xff\r\n", 4));

  folder_.Write("old.dat", "someone's");
  OpenFile(state_, folder_ / "old.dat", FileMode::kNewBinary, 1);
  EXPECT_EQ(state_.Number(), kPathFileAccessError);
  EXPECT_EQ(folder_.Read("old.dat"), "someone's");
}

// A file with a second name may be someone else's under that name.
TEST_F(FileAccess, AFileWithASecondNameIsNeverWrittenThrough) {
  folder_.Write("notes.txt", "the user's");
  std::filesystem::create_hard_link(folder_.Native("notes.txt"), folder_.Native("Kelvor.tmp"));
  OpenFile(state_, folder_ / "Kelvor.tmp", FileMode::kOutput, 1);
  EXPECT_EQ(state_.Number(), kPermissionDenied);
  EXPECT_EQ(folder_.Read("notes.txt"), "the user's");
}

TEST_F(FileAccess, AReadBinaryFileIsOnlyReadAndSharedWithOtherReaders) {
  // A file on a read-only volume: not even an administrator may write it.
  const std::string name =
      std::string(test::kReadOnlyDrive) + "\\" + std::string(test::kReadOnlyFile);
  OpenFile(state_, name, FileMode::kReadBinary, 1);
  OpenFile(state_, name, FileMode::kReadBinary, 2);
  ASSERT_EQ(state_.Number(), kNoError);
  char bytes[100];
  EXPECT_EQ(ReadBytes(state_, 1, bytes, 4), 4u);
  EXPECT_EQ(std::string_view(bytes, 4), test::kReadOnlyFileText.substr(0, 4));
  std::size_t read = ReadBytes(state_, 2, bytes, sizeof bytes);  // stops at the end
  EXPECT_EQ(std::string_view(bytes, read), test::kReadOnlyFileText);
  EXPECT_EQ(ReadBytes(state_, 2, bytes, sizeof bytes), 0u);
  EXPECT_EQ(state_.Number(), kNoError);

  OpenFile(state_, folder_ / "missing.bmp", FileMode::kReadBinary, 3);
  EXPECT_EQ(state_.Number(), kFileNotFound);
  EXPECT_FALSE(folder_.Exists("missing.bmp"));  // never created
}

TEST_F(FileAccess, OutputEmptiesTheFileAndInputReadsItsLinesBack) {
  folder_.Write("lines.txt", "old contents that must go");
  OpenFile(state_, folder_ / "lines.txt", FileMode::kOutput, 1);
  WriteText(state_, 1, "abc");
  WriteLineEnd(state_, 1);
  CloseFile(state_, 1);
  ASSERT_EQ(state_.Number(), kNoError);
  EXPECT_EQ(folder_.Read("lines.txt"), "abc\r\n");

  OpenFile(state_, folder_ / "lines.txt", FileMode::kInput, 1);
  EXPECT_EQ(ReadLine(state_, 1), "abc");
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_EQ(ReadLine(state_, 1), "");
  EXPECT_EQ(state_.Number(), kInputPastEnd);
}

TEST_F(FileAccess, ReadLineEndsAtCrCrLfCtrlZAndTheEndOfData) {
  folder_.Write("mixed.txt", std::string("one\r\ntwo\rthree\nfour\r\n\r\nlast\x1a"
                                         "after"));
  OpenFile(state_, folder_ / "mixed.txt", FileMode::kInput, 1);
  EXPECT_EQ(ReadLine(state_, 1), "one");
  EXPECT_EQ(ReadLine(state_, 1), "two");
  EXPECT_EQ(ReadLine(state_, 1), "three\nfour");  // a lone LF belongs to the line
  EXPECT_EQ(ReadLine(state_, 1), "");             // an empty line is no error
  EXPECT_EQ(ReadLine(state_, 1), "last");
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_EQ(ReadLine(state_, 1), "");  // Ctrl-Z is never consumed
  EXPECT_EQ(state_.Number(), kInputPastEnd);
  state_.Clear();
  EXPECT_EQ(ReadLine(state_, 1), "");
  EXPECT_EQ(state_.Number(), kInputPastEnd);
}

TEST_F(FileAccess, ReadLineCarriesLinesAcrossTheReadAheadBuffer) {
  std::string first(127, 'a');  // its CR is byte 128, its LF the first of the next buffer
  std::string second(300, 'b');
  folder_.Write("long.txt", first + "\r\n" + second + "\r\n" + "end");
  OpenFile(state_, folder_ / "long.txt", FileMode::kInput, 1);
  EXPECT_EQ(ReadLine(state_, 1), first);
  EXPECT_EQ(ReadLine(state_, 1), second);
  EXPECT_EQ(ReadLine(state_, 1), "end");
  EXPECT_EQ(state_.Number(), kNoError);
}

TEST_F(FileAccess, InputNeedsAnExistingFile) {
  OpenFile(state_, folder_ / "missing.txt", FileMode::kInput, 1);
  EXPECT_EQ(state_.Number(), kFileNotFound);
  OpenFile(state_, folder_ / "no such folder\\missing.txt", FileMode::kInput, 1);
  EXPECT_EQ(state_.Number(), kPathNotFound);
  EXPECT_FALSE(folder_.Exists("missing.txt"));
}

TEST_F(FileAccess, AFileOpenForWritingIsNotShared) {
  OpenFile(state_, folder_ / "mine.dat", FileMode::kNewBinary, 1);
  OpenFile(state_, folder_ / "mine.dat", FileMode::kReadBinary, 2);
  EXPECT_EQ(state_.Number(), kPermissionDenied);
  state_.Clear();
  CloseFile(state_, 1);
  OpenFile(state_, folder_ / "mine.dat", FileMode::kReadBinary, 2);
  EXPECT_EQ(state_.Number(), kNoError);
}

TEST_F(FileAccess, CloseAllFilesFreesEveryNumber) {
  OpenFile(state_, folder_ / "a.dat", FileMode::kNewBinary, 1);
  OpenFile(state_, folder_ / "b.txt", FileMode::kOutput, 2);
  WriteText(state_, 2, "text");
  CloseAllFiles(state_);
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_EQ(FileLength(state_, 1), 0u);
  EXPECT_EQ(state_.Number(), kBadFileNameOrNumber);
  EXPECT_EQ(folder_.Read("b.txt"), "text");
  state_.Clear();
  OpenFile(state_, folder_ / "a.dat", FileMode::kInput, 1);  // no longer locked
  EXPECT_EQ(state_.Number(), kNoError);
}

TEST_F(FileAccess, FlushingSendsTheDataOfAnyModeToTheDevice) {
  OpenFile(state_, folder_ / "flushed.dat", FileMode::kNewBinary, 1);
  OpenFile(state_, folder_ / "flushed.txt", FileMode::kOutput, 2);
  WriteBytes(state_, 1, std::string(100000, 'z'));
  WriteText(state_, 2, "text");
  FlushFile(state_, 1);
  FlushFile(state_, 2);
  CloseAllFiles(state_);
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_EQ(folder_.Read("flushed.dat"), std::string(100000, 'z'));
  EXPECT_EQ(folder_.Read("flushed.txt"), "text");
}

TEST_F(FileAccess, WritingToAFullVolumeGivesDiskFull) {
  const std::string binary = std::string(test::kFullDrive) + "\\no-room.dat";
  const std::string text = std::string(test::kFullDrive) + "\\no-room.txt";
  OpenFile(state_, binary, FileMode::kNewBinary, 1);
  OpenFile(state_, text, FileMode::kOutput, 2);
  ASSERT_EQ(state_.Number(), kNoError);
  // The write that meets the end of the space fails, or under Wine the next.
  const std::string chunk(1 << 20, '\xff');
  WriteBytes(state_, 1, chunk);
  if (state_.Number() == kNoError) WriteBytes(state_, 1, chunk);
  EXPECT_EQ(state_.Number(), kDiskFull);
  state_.Clear();
  WriteText(state_, 2, std::string(1 << 20, 'x'));
  EXPECT_EQ(state_.Number(), kDiskFull);

  ErrorState ignored;
  CloseAllFiles(ignored);
  for (const std::string& name : {binary, text}) std::filesystem::remove(test::HostPath(name));
}

}  // namespace
}  // namespace kelvor::files
