// The drive list's lines, carried through the probe file in the current
// folder where it allows that, split in memory where not: the same lines
// either way, and no probe file left behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "drives/drive_lines.h"
#include "drives/drive_list.h"
#include "test_folder.h"
#include "test_platform.h"

namespace kelvor::drives {
namespace {

namespace fs = std::filesystem;

class DriveListLinesIn : public testing::Test {
 protected:
  // Under Wine the folder the test started in may have no drive letter; the
  // work drive's root serves then, so that the test folder can be removed.
  void TearDown() override {
    std::error_code unreachable;
    fs::current_path(original_folder_, unreachable);
    if (unreachable) fs::current_path(test::HostPath(std::string(test::kWorkDrive) + "\\"));
  }
  // Splits the real drive list with `folder` as the current one, and tells
  // whether a file came or went there meanwhile.
  bool SplitIn(std::string_view folder) {
    fs::current_path(test::HostPath(folder));
    return test::FileCameOrWentWhile(fs::current_path(), [] {
      DriveList drives = BuildDriveList();
      std::string joined;
      for (const std::string& line : DriveListLines(drives)) joined += line + "\r\n";
      EXPECT_FALSE(drives.empty());
      EXPECT_EQ(joined, DriveListText(drives));
    });
  }
  fs::path original_folder_ = fs::current_path();
  test::TestFolder folder_;
};

// A writable folder carries them in the probe file, then deletes it; a
// read-only folder, or one with someone else's probe file, is left as it was.
TEST_F(DriveListLinesIn, OnlyAWritableFolderWithoutAProbeFileCarriesThem) {
  EXPECT_TRUE(SplitIn(folder_.path())) << "the probe file was never made";
  EXPECT_FALSE(fs::exists(folder_.Native(kProbeFileName)));
  EXPECT_FALSE(SplitIn(std::string(test::kReadOnlyDrive) + "\\"));
  folder_.Write(kProbeFileName, "not Kelvor's");
  EXPECT_FALSE(SplitIn(folder_.path()));
  EXPECT_EQ(test::ReadWholeFile(folder_.Native(kProbeFileName)), "not Kelvor's");
}

}  // namespace
}  // namespace kelvor::drives
