// Names below a drive are reached from the drive held open: never through a
// link, never onto another volume for a change, only in the user's own
// private folders, and never in a folder renamed into the place of the one
// the run held; with openat2 and, where the kernel lacks it, step by step.
#include "places.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <tuple>
#include <utility>

#include "platform/os_drives.h"
#include "test_folder.h"
#include "test_platform.h"

namespace kelvor::os {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class Places : public testing::Test {
 protected:
  fs::path Host(std::string_view name) const { return test::HostPath(folder_ / name); }
  NativeName Native(std::string_view name) const { return ToNativeName(folder_ / name); }
  WinError CreateNew(DriveHold& drive, std::string_view name) const {
    FileHandle handle;
    WinError error = CreateFileHandle(drive, Native(name), kWriteAccess, Disposition::kCreateNew,
                                      Sharing::kNone, &handle);
    if (error == kSuccess) CloseFileHandle(handle);
    return error;
  }
  test::TestFolder folder_;
  DriveHold unheld_;  // holds nothing: every name is resolved when it is used
};

// Both ways of opening below a folder: openat2, and step by step where the
// kernel lacks it.
TEST_F(Places, NeitherALinkNorDotDotOnTheWayNorAnotherVolumeForAChange) {
  fs::create_directories(Host("a\\real"));
  fs::create_directory_symlink("real", Host("a\\link"));
  Descriptor base(open(Host("").c_str(), O_PATH | O_DIRECTORY));
  Descriptor volumes(open(std::getenv("KELVOR_TEST_VOLUMES"), O_PATH | O_DIRECTORY));
  for (bool step_by_step : {false, true}) {
    EXPECT_TRUE(Descriptor(OpenFolderBeneath(base.get(), "a/real", true, step_by_step)).valid());
    EXPECT_TRUE(Descriptor(OpenFolderBeneath(volumes.get(), "small", false, step_by_step)).valid());
    EXPECT_EQ(OpenFolderBeneath(base.get(), "a/../..", false, step_by_step), -1);
    for (auto [folder, path, change, error] :
         {std::tuple{base.get(), "a/link", false, ELOOP}, {volumes.get(), "small", true, EXDEV}}) {
      errno = 0;
      EXPECT_EQ(OpenFolderBeneath(folder, path, change, step_by_step), -1) << path;
      EXPECT_EQ(errno, error) << path << " " << step_by_step;
    }
  }
}

TEST_F(Places, ChangesOnlyInTheUsersOwnPrivateFolders) {
  fs::create_directory(Host("shared"));
  fs::permissions(Host("shared"), fs::perms::all);
  fs::create_directory(Host("theirs"));
  ASSERT_EQ(chown(Host("theirs").c_str(), kNobody, kNobody), 0);
  fs::create_directory(Host("mine"));
  for (auto [name, error] : {std::pair{"shared\\Kelvor0.dat", kAccessDenied},
                             {"theirs\\Kelvor0.dat", kAccessDenied},
                             {"mine\\Kelvor0.dat", kSuccess}}) {
    EXPECT_EQ(CreateNew(unheld_, name), error) << name;
    EXPECT_EQ(fs::exists(Host(name)), error == kSuccess) << name;
  }
}

TEST_F(Places, TheRunKeepsWorkingInTheFolderItHeld) {
  fs::create_directory(Host("temp"));
  fs::create_directory(Host("elsewhere"));
  DriveHold held;
  ASSERT_EQ(HoldDrive(test::kWorkDrive, &held), kSuccess);
  ASSERT_EQ(CreateNew(held, "temp\\Kelvor0.dat"), kSuccess);
  // Someone renames the folder away and puts a link in its place.
  fs::rename(Host("temp"), Host("moved"));
  fs::create_directory_symlink("elsewhere", Host("temp"));
  // The hold goes with the run's object, moved or not; a hold of no run
  // sees the name as it is now, a link, and goes nowhere.
  DriveHold run = std::move(held);
  EXPECT_EQ(CreateNew(run, "temp\\Kelvor1.dat"), kSuccess);
  EXPECT_TRUE(fs::exists(Host("moved\\Kelvor1.dat")));
  EXPECT_EQ(CreateNew(unheld_, "temp\\Kelvor2.dat"), kCantResolveFilename);
  EXPECT_EQ(RemoveFile(run, Native("temp\\Kelvor1.dat")), kSuccess);
  EXPECT_FALSE(fs::exists(Host("moved\\Kelvor1.dat")));
  EXPECT_TRUE(fs::is_empty(Host("elsewhere")));
}

}  // namespace
}  // namespace kelvor::os
