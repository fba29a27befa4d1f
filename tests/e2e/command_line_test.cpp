// The program's command-line mode, run as its own process on a real volume:
// drive forms, options, exit codes, and a volume left as it was found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/os_drives.h"
#include "platform/os_files.h"
#include "test_folder.h"
#include "test_platform.h"

namespace kelvor::test {
namespace {

namespace fs = std::filesystem;

fs::path TempFolderOn(std::string_view drive) {
  return HostPath(std::string(drive) + "\\~KelvorTemp");
}

class CommandLine : public testing::Test {
 protected:
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(TempFolderOn(kSmallDrive), ignored);
  }
  std::uint64_t FreeBytes() {
    std::uint64_t free_bytes = 0;
    os::QueryFreeBytes(kSmallDrive, &free_bytes);
    return free_bytes;
  }
};

TEST_F(CommandLine, AWipeEndsWithExitCodeZeroAndLeavesTheVolumeAsItWas) {
  std::uint64_t before = FreeBytes();
  for (const char* drive : {"S:", "s", "S:\\"}) {
    ProgramResult run = RunProgram({drive, "/0"});
    EXPECT_EQ(run.exit_code, 0) << drive;
    EXPECT_TRUE(run.reports.empty()) << drive << ": " << run.reports.front();
    EXPECT_FALSE(fs::exists(TempFolderOn(kSmallDrive))) << drive;
  }
  EXPECT_EQ(FreeBytes(), before);
}

TEST_F(CommandLine, EveryWipeTypeCanBeChosen) {
  for (const char* option : {"/0", "/B", "/b", "x/Bin"}) {
    ProgramResult run = RunProgram({"S:", option});
    EXPECT_EQ(run.exit_code, 0) << option;
    EXPECT_FALSE(fs::exists(TempFolderOn(kSmallDrive))) << option;
  }
}

TEST_F(CommandLine, ADriveThatIsNotListedIsNeverTouched) {
  std::uint64_t before = FreeBytes();
  for (const char* first : {"Q:", "A:", "/B", "\t", "X\"S"}) {
    ProgramResult run = RunProgram({first});
    EXPECT_EQ(run.exit_code, 2) << first;
    EXPECT_TRUE(run.reports.empty()) << first;
  }
  EXPECT_EQ(FreeBytes(), before);
}

TEST_F(CommandLine, AnErrorReportGivesExitCodeOne) {
  // Another program's file in a leftover folder: the folder must stay.
  fs::create_directory(TempFolderOn(kSmallDrive));
  std::ofstream(TempFolderOn(kSmallDrive) / "notes.txt") << "not Kelvor's";
  ProgramResult run = RunProgram({"S:"});
  EXPECT_EQ(run.exit_code, 1);
  ASSERT_FALSE(run.reports.empty());
  EXPECT_NE(run.reports.back().find("An Error occured:  75 - Path/file access error."),
            std::string::npos)
      << run.reports.back();
  EXPECT_TRUE(fs::exists(TempFolderOn(kSmallDrive) / "notes.txt"));
}

}  // namespace
}  // namespace kelvor::test
