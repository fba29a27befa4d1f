// The program's command-line mode, run as its own process on a real volume:
// drive forms, exit codes, and a volume left as it was found; the options in
// this process, where the test can read what the run writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/cleanup.h"
#include "fakes.h"
#include "platform/os_drives.h"
#include "platform/os_files.h"
#include "test_folder.h"
#include "test_platform.h"
#include "ui/start_up.h"

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
    ProgramResult run = RunProgram({drive, "/B"});
    EXPECT_EQ(run.exit_code, 0) << drive;
    EXPECT_TRUE(run.reports.empty()) << drive << ": " << run.reports.front();
    EXPECT_FALSE(fs::exists(TempFolderOn(kSmallDrive))) << drive;
  }
  EXPECT_EQ(FreeBytes(), before);
}

TEST_F(CommandLine, EachOptionWritesItsWipeTypesBytes) {
  constexpr std::size_t kLooked = 1 << 16;  // bytes from the start of Kelvor0.dat
  const std::pair<const char*, const char*> cases[] = {
      {"S:", "All 1's"},       {"S: /B", "All 0's"},    {"S: /0", "Blocks of Binary Data"},
      {"S: /0 /B", "All 0's"}, {"S: /B /0", "All 0's"}, {"S: /b", "All 1's"},
      {"S: x/Bin", "All 0's"}};
  for (auto [tail, wipe_type] : cases) {
    FakeWindow window;
    FakeClock clock(36000, 1);
    std::string start(kLooked, '?');
    window.on_status = [&start](const std::string& text) {
      if (text != engine::kDeletingText) return;
      std::ifstream(TempFolderOn(kSmallDrive) / "Kelvor0.dat", std::ios::binary)
          .read(start.data(), kLooked);
    };
    EXPECT_EQ(ui::RunCommandLine(tail, window, clock), ui::kExitClean) << tail;
    EXPECT_EQ(WipeTypeOf(start), wipe_type) << tail;
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

TEST_F(CommandLine, ALeftoverFolderIsNoErrorButAnotherProgramsFileInItIs) {
  // A killed run's folder and fill file: the next run deletes them and has
  // nothing to report.
  fs::create_directory(TempFolderOn(kSmallDrive));
  std::ofstream(TempFolderOn(kSmallDrive) / "Kelvor0.dat") << "left by a killed run";
  ProgramResult rerun = RunProgram({"S:"});
  EXPECT_EQ(rerun.exit_code, 0);
  EXPECT_TRUE(rerun.reports.empty()) << rerun.reports.front();
  EXPECT_FALSE(fs::exists(TempFolderOn(kSmallDrive)));

  // Another program's file in a leftover folder: the folder must stay, and
  // the report says why.
  fs::create_directory(TempFolderOn(kSmallDrive));
  std::ofstream(TempFolderOn(kSmallDrive) / "notes.txt") << "not Kelvor's";
  ProgramResult run = RunProgram({"S:"});
  EXPECT_EQ(run.exit_code, 1);
  ASSERT_EQ(run.reports.size(), 1u);
  EXPECT_NE(run.reports.back().find("An Error occured:  75 - Path/file access error."),
            std::string::npos)
      << run.reports.back();
  EXPECT_TRUE(fs::exists(TempFolderOn(kSmallDrive) / "notes.txt"));
}

}  // namespace
}  // namespace kelvor::test
