// Folder operations and deletion by pattern against the real file system.
#include "files/folders.h"

#include <gtest/gtest.h>

#include "test_folder.h"
#include "test_platform.h"

namespace kelvor::files {
namespace {

using test::TestFolder;

class Folders : public testing::Test {
 protected:
  TestFolder folder_;
  ErrorState state_;
};

TEST_F(Folders, DeleteFilesRemovesOnlyTheMatchingFiles) {
  for (const char* name : {"Kelvor0.dat", "Kelvor1.dat", "Kelvor12.dat", "kelvor3.DAT"}) {
    folder_.Write(name, "fill");
  }
  for (const char* name : {"Kelvor.tmp", "Kelvor1.dat.keep", "notes.txt", "MyKelvor1.dat"}) {
    folder_.Write(name, "user data");
  }
  DeleteFiles(state_, folder_ / "Kelvor*.dat");
  EXPECT_EQ(state_.Number(), kNoError);
  for (const char* name : {"Kelvor0.dat", "Kelvor1.dat", "Kelvor12.dat", "kelvor3.DAT"}) {
    EXPECT_FALSE(folder_.Exists(name)) << name;
  }
  for (const char* name : {"Kelvor.tmp", "Kelvor1.dat.keep", "notes.txt", "MyKelvor1.dat"}) {
    EXPECT_EQ(folder_.Read(name), "user data") << name;
  }
}

TEST_F(Folders, DeleteFilesSkipsHiddenFilesAndFoldersWithoutComplaint) {
  std::string hidden = test::MakeHiddenFile(folder_, "Kelvor7.dat");
  folder_.MakeSubfolder("Kelvor8.dat");
  folder_.Write("Kelvor9.dat", "fill");
  DeleteFiles(state_, folder_ / "*.dat");
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_TRUE(folder_.Exists(hidden));
  EXPECT_TRUE(folder_.Exists("Kelvor8.dat"));
  EXPECT_FALSE(folder_.Exists("Kelvor9.dat"));
}

TEST_F(Folders, DeleteFilesWithNothingToDo) {
  DeleteFiles(state_, "");
  EXPECT_EQ(state_.Number(), kNoError);
  DeleteFiles(state_, folder_ / "Kelvor*.dat");
  EXPECT_EQ(state_.Number(), kFileNotFound);
  state_.Clear();
  DeleteFiles(state_, folder_ / "missing folder\\Kelvor*.dat");
  EXPECT_EQ(state_.Number(), kFileNotFound);
}

TEST_F(Folders, DeleteFilesOfAFolderPathTakesEveryFileInIt) {
  folder_.MakeSubfolder("sub");
  folder_.Write("sub\\a.bin", "a");
  folder_.Write("sub\\README", "b");
  DeleteFiles(state_, folder_ / "sub\\");
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_FALSE(folder_.Exists("sub\\a.bin"));
  EXPECT_FALSE(folder_.Exists("sub\\README"));
  EXPECT_TRUE(folder_.Exists("sub"));
}

TEST_F(Folders, AFileThatCannotBeDeletedKeepsNoOtherFromGoing) {
  for (const char* name : {"Kelvor1.dat", "Kelvor2.dat", "Kelvor3.dat"}) folder_.Write(name, "x");
  folder_.MakeReadOnly("Kelvor2.dat");
  DeleteFiles(state_, folder_ / "Kelvor*.dat");
  EXPECT_EQ(state_.Number(), kPermissionDenied);
  EXPECT_TRUE(folder_.Exists("Kelvor2.dat"));
  EXPECT_FALSE(folder_.Exists("Kelvor1.dat"));
  EXPECT_FALSE(folder_.Exists("Kelvor3.dat"));
}

// Windows also matches a pattern against the short names it makes up: under
// Wine "Kelvor notes.data" is "KELV~0FQ.DAT", which "Kelv*.dat" matches.
TEST_F(Folders, DeleteFilesMatchesLongNamesOnly) {
  folder_.Write("Kelvor notes.data", "user data");
  folder_.Write("Kelvor1.dat", "fill");
  DeleteFiles(state_, folder_ / "Kelv*.dat");
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_EQ(folder_.Read("Kelvor notes.data"), "user data");
  EXPECT_FALSE(folder_.Exists("Kelvor1.dat"));
}

TEST_F(Folders, MakeFolderAndItsFailures) {
  MakeFolder(state_, folder_ / "~KelvorTemp");
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_TRUE(folder_.Exists("~KelvorTemp"));
  MakeFolder(state_, folder_ / "~KelvorTemp");
  EXPECT_EQ(state_.Number(), kPathFileAccessError);
  MakeFolder(state_, folder_ / "a\\b");
  EXPECT_EQ(state_.Number(), kPathNotFound);
  state_.Clear();
  MakeFolder(state_, folder_ / "wild*");
  EXPECT_EQ(state_.Number(), kPathNotFound);
  EXPECT_FALSE(folder_.Exists("wild*"));
}

TEST_F(Folders, RemoveFolderAndItsFailures) {
  RemoveFolder(state_, folder_ / "missing");
  EXPECT_EQ(state_.Number(), kPathNotFound);
  folder_.MakeSubfolder("full");
  folder_.Write("full\\file", "x");
  RemoveFolder(state_, folder_ / "full");
  EXPECT_EQ(state_.Number(), kPathFileAccessError);
  EXPECT_TRUE(folder_.Exists("full\\file"));
  state_.Clear();
  folder_.MakeSubfolder("empty");
  RemoveFolder(state_, folder_ / "empty\\");
  EXPECT_EQ(state_.Number(), kNoError);
  EXPECT_FALSE(folder_.Exists("empty"));
  RemoveFolder(state_, folder_ / "*");
  EXPECT_EQ(state_.Number(), kPathNotFound);
}

TEST_F(Folders, NothingCanBeMadeOnAReadOnlyVolume) {
  MakeFolder(state_, std::string(test::kReadOnlyDrive) + "\\~KelvorTemp");
  EXPECT_EQ(state_.Number(), kPermissionDenied);
}

TEST_F(Folders, IsExistingFileIsTrueForFilesOnly) {
  folder_.Write("plain.dat", "x");
  std::string hidden = test::MakeHiddenFile(folder_, "secret.dat");
  folder_.MakeSubfolder("sub");
  EXPECT_TRUE(IsExistingFile(folder_ / "plain.dat"));
  EXPECT_TRUE(IsExistingFile(folder_ / hidden));
  EXPECT_FALSE(IsExistingFile(folder_ / "sub"));
  EXPECT_FALSE(IsExistingFile(folder_ / "missing.dat"));
  EXPECT_FALSE(IsExistingFile(folder_ / "*.dat"));
  EXPECT_FALSE(IsExistingFile(std::string(test::kWorkDrive)));
  EXPECT_FALSE(IsExistingFile(""));
}

}  // namespace
}  // namespace kelvor::files
