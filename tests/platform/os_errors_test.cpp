// The seam reports the Windows error code of each situation. These run on both
// builds: natively they check the errno translation, under Wine they check
// that the translation agrees with Wine's.
#include <gtest/gtest.h>

#include <map>

#include "files/error_numbers.h"
#include "platform/os_files.h"
#include "test_folder.h"

namespace kelvor::os {
namespace {

using test::TestFolder;

class OsErrors : public testing::Test {
 protected:
  NativeName Native(std::string_view name) const { return ToNativeName(folder_ / name); }
  TestFolder folder_;
};

TEST_F(OsErrors, MissingFilesAndMissingFolders) {
  FileHandle handle;
  EXPECT_EQ(CreateFileHandle(Native("missing.dat"), kReadAccess, Disposition::kOpenExisting,
                             Sharing::kNone, &handle),
            kFileNotFound);
  EXPECT_EQ(CreateFileHandle(Native("no\\missing.dat"), kReadAccess, Disposition::kOpenAlways,
                             Sharing::kNone, &handle),
            kPathNotFound);
  // A drive that does not exist: Windows says "path not found", Wine "file
  // not found".
  WinError no_drive = CreateFileHandle(ToNativeName("Q:\\Kelvor0.dat"), kReadAccess,
                                       Disposition::kOpenAlways, Sharing::kNone, &handle);
  EXPECT_TRUE(no_drive == kPathNotFound || no_drive == kFileNotFound) << no_drive;
  EXPECT_EQ(RemoveFile(Native("missing.dat")), kFileNotFound);
  EXPECT_EQ(DeleteDirectory(Native("missing")), kFileNotFound);
  EXPECT_EQ(MakeDirectory(Native("no\\sub")), kPathNotFound);
}

TEST_F(OsErrors, FoldersThatExistAreNotEmptyOrAreNoFiles) {
  folder_.MakeSubfolder("sub");
  folder_.Write("sub\\file", "x");
  EXPECT_EQ(MakeDirectory(Native("sub")), kAlreadyExists);
  EXPECT_EQ(DeleteDirectory(Native("sub")), kDirNotEmpty);
  EXPECT_EQ(RemoveFile(Native("sub")), kAccessDenied);
  FileHandle handle;
  EXPECT_EQ(CreateFileHandle(Native("sub"), kReadAccess | kWriteAccess, Disposition::kOpenAlways,
                             Sharing::kNone, &handle),
            kAccessDenied);
}

TEST_F(OsErrors, SharingAndReadOnlyFiles) {
  FileHandle first, second;
  ASSERT_EQ(CreateFileHandle(Native("a.dat"), kReadAccess | kWriteAccess, Disposition::kOpenAlways,
                             Sharing::kNone, &first),
            kSuccess);
  EXPECT_EQ(CreateFileHandle(Native("a.dat"), kReadAccess, Disposition::kOpenExisting,
                             Sharing::kNone, &second),
            kSharingViolation);
  EXPECT_EQ(CloseFileHandle(first), kSuccess);

  folder_.Write("ro.dat", "x");
  folder_.MakeReadOnly("ro.dat");
  EXPECT_EQ(RemoveFile(Native("ro.dat")), kAccessDenied);
}

TEST_F(OsErrors, AFullVolumeAndAReadOnlyVolume) {
  NativeName name = ToNativeName(std::string(test::kFullDrive) + "\\seam-full.dat");
  FileHandle handle;
  ASSERT_EQ(CreateFileHandle(name, kReadAccess | kWriteAccess, Disposition::kOpenAlways,
                             Sharing::kNone, &handle),
            kSuccess);
  // Windows and Linux fail the write that meets the end of the space; Wine
  // reports that one as a short write and fails the next.
  std::string chunk(1 << 20, '\0');
  std::size_t written = 0;
  WinError first = WriteToFile(handle, chunk.data(), chunk.size(), &written);
  EXPECT_LT(written, chunk.size());
  if (first == kSuccess)
    EXPECT_EQ(WriteToFile(handle, chunk.data(), chunk.size(), &written), kDiskFull);
  else
    EXPECT_EQ(first, kDiskFull);
  CloseFileHandle(handle);
  EXPECT_EQ(RemoveFile(name), kSuccess);

  // Windows says "write protected" (19) and Wine "access denied" (5); the
  // program sees 70, "Permission denied", either way.
  WinError code = MakeDirectory(ToNativeName(std::string(test::kReadOnlyDrive) + "\\x"));
  EXPECT_TRUE(code == kWriteProtect || code == kAccessDenied) << code;
  EXPECT_EQ(files::MapOsError(code), files::kPermissionDenied);
}

TEST_F(OsErrors, FindListsMatchesWithTheirAttributes) {
  folder_.Write("Kelvor1.dat", "x");
  folder_.MakeSubfolder("Kelvor2.dat");
  FindHandle search;
  FoundEntry entry;
  ASSERT_TRUE(FindFirstEntry(Native("Kelvor*.dat"), &search, &entry));
  std::map<NativeName, std::uint32_t> found;
  do {
    found[entry.name] = entry.attributes;
  } while (FindNextEntry(search, &entry));
  EndFind(search);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[ToNativeName("Kelvor1.dat")] & kAttrDirectory, 0u);
  EXPECT_NE(found[ToNativeName("Kelvor2.dat")] & kAttrDirectory, 0u);
  EXPECT_FALSE(FindFirstEntry(Native("none*.dat"), &search, &entry));
}

}  // namespace
}  // namespace kelvor::os
