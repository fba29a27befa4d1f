// Names below a drive are reached from the drive held open: never through a
// link, never onto another volume for a change, only in the user's own
// private folders, and never in a folder renamed into the place of the one
// the run held.
#include "places.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "drive_map.h"
#include "platform/os_drives.h"
#include "test_folder.h"
#include "test_platform.h"

namespace kelvor::os {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class Places : public testing::Test {
 protected:
  void TearDown() override { HoldDrive(""); }  // no drive held any more
  fs::path Host(std::string_view name) const { return test::HostPath(folder_ / name); }
  NativeName Native(std::string_view name) const { return ToNativeName(folder_ / name); }
  WinError CreateNew(std::string_view name, FileHandle* handle) const {
    WinError error = CreateFileHandle(Native(name), kWriteAccess, Disposition::kCreateNew,
                                      Sharing::kNone, handle);
    if (error == kSuccess) CloseFileHandle(*handle);
    return error;
  }
  test::TestFolder folder_;
};

TEST_F(Places, NeitherALinkNorDotDotOnTheWayEitherWay) {
  fs::create_directories(Host("a\\real"));
  fs::create_directory_symlink("real", Host("a\\link"));
  Descriptor base(open(Host("").c_str(), O_PATH | O_DIRECTORY));
  for (bool step_by_step : {false, true}) {
    Descriptor real(OpenFolderBeneath(base.get(), "a/real", true, step_by_step));
    EXPECT_TRUE(real.valid()) << step_by_step;
    errno = 0;
    EXPECT_EQ(OpenFolderBeneath(base.get(), "a/link", false, step_by_step), -1);
    EXPECT_EQ(errno, ELOOP) << step_by_step;
    EXPECT_EQ(OpenFolderBeneath(base.get(), "a/../..", false, step_by_step), -1);
  }
}

TEST_F(Places, ForAChangeNeverOntoAnotherVolume) {
  Descriptor volumes(open(std::getenv("KELVOR_TEST_VOLUMES"), O_PATH | O_DIRECTORY));
  for (bool step_by_step : {false, true}) {
    Descriptor across(OpenFolderBeneath(volumes.get(), "small", false, step_by_step));
    EXPECT_TRUE(across.valid()) << step_by_step;
    errno = 0;
    EXPECT_EQ(OpenFolderBeneath(volumes.get(), "small", true, step_by_step), -1);
    EXPECT_EQ(errno, EXDEV) << step_by_step;
  }
}

TEST_F(Places, ChangesOnlyInTheUsersOwnPrivateFoldersAndNeverInAPipe) {
  folder_.MakeSubfolder("shared");
  fs::permissions(Host("shared"), fs::perms::all);
  folder_.MakeSubfolder("theirs");
  ASSERT_EQ(chown(Host("theirs").c_str(), kNobody, kNobody), 0);
  FileHandle handle;
  for (const char* other : {"shared\\Kelvor0.dat", "theirs\\Kelvor0.dat"}) {
    EXPECT_EQ(CreateNew(other, &handle), kAccessDenied) << other;
    EXPECT_FALSE(fs::exists(Host(other))) << other;
  }

  folder_.MakeSubfolder("mine");
  EXPECT_EQ(CreateNew("mine\\Kelvor0.dat", &handle), kSuccess);
  EXPECT_EQ(fs::status(Host("mine\\Kelvor0.dat")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  // A pipe in the place of a file to write is refused at once, never waited on.
  ASSERT_EQ(mkfifo(Host("mine\\pipe.txt").c_str(), 0600), 0);
  EXPECT_NE(CreateFileHandle(Native("mine\\pipe.txt"), kWriteAccess, Disposition::kOpenAlways,
                             Sharing::kNone, &handle),
            kSuccess);
}

TEST_F(Places, TheRunKeepsWorkingInTheFolderItHeld) {
  folder_.MakeSubfolder("temp");
  folder_.MakeSubfolder("elsewhere");
  ASSERT_EQ(HoldDrive(test::kWorkDrive), kSuccess);
  FileHandle handle;
  ASSERT_EQ(CreateNew("temp\\Kelvor0.dat", &handle), kSuccess);
  // Someone renames the folder away and puts a link in its place.
  fs::rename(Host("temp"), Host("moved"));
  fs::create_directory_symlink("elsewhere", Host("temp"));
  EXPECT_EQ(CreateNew("temp\\Kelvor1.dat", &handle), kSuccess);
  EXPECT_TRUE(fs::exists(Host("moved\\Kelvor1.dat")));
  EXPECT_EQ(RemoveFile(Native("temp\\Kelvor1.dat")), kSuccess);
  EXPECT_FALSE(fs::exists(Host("moved\\Kelvor1.dat")));
  EXPECT_TRUE(fs::is_empty(Host("elsewhere")));
}

TEST_F(Places, ADriveThatIsAPlainFolderNamesNothing) {
  folder_.MakeSubfolder("unplugged");
  std::string drives = std::getenv(kDriveMapVariable);
  setenv(kDriveMapVariable, (drives + ";U=" + Host("unplugged").string()).c_str(), 1);
  bool listed = false;
  for (const DriveMapping& drive : CurrentDriveMap()) listed = listed || drive.letter == 'U';
  EXPECT_FALSE(listed);
  EXPECT_EQ(HoldDrive("U:"), kPathNotFound);
  EXPECT_NE(MakeDirectory(ToNativeName("U:\\~KelvorTemp")), kSuccess);
  EXPECT_FALSE(fs::exists(Host("unplugged\\~KelvorTemp")));
  setenv(kDriveMapVariable, drives.c_str(), 1);
}

}  // namespace
}  // namespace kelvor::os
