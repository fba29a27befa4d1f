// Whole wipe runs, in process, on real size-limited volumes: the fake
// window's pump steps look at the volume while the run works.
#include "engine/wipe_run.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>

#include "engine/program_state.h"
#include "engine/record_fill.h"
#include "fakes.h"
#include "files/file_access.h"
#include "platform/os_drives.h"
#include "platform/os_files.h"
#include "test_folder.h"
#include "test_platform.h"
#include "ui/start_up.h"

namespace kelvor::engine {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kGigabyteChunk = 107374182;
constexpr std::uint64_t kGigabyteFileSize = 10 * kGigabyteChunk;
constexpr const char* kDeletingStatus =
    "Deleting temporary files. This may take several minutes ...";
constexpr double kTenInTheMorning = 36000;
constexpr std::uint64_t kCluster = 4096;  // of the ext4 test volume

fs::path Native(std::string_view drive, std::string_view name = "") {
  return test::HostPath(std::string(drive) + "\\~KelvorTemp\\" + std::string(name));
}

// How many bytes of a file differ from `byte`, and its length.
struct Scan {
  std::uint64_t length = 0;
  std::uint64_t others = 0;
};
Scan ScanFile(const fs::path& path, char byte) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> block(1 << 20);
  Scan scan;
  while (file.read(block.data(), block.size()) || file.gcount() > 0) {
    scan.length += file.gcount();
    scan.others += file.gcount() - std::count(block.begin(), block.begin() + file.gcount(), byte);
  }
  return scan;
}

std::vector<std::string> FolderContents(std::string_view drive) {
  std::vector<std::string> names;
  std::error_code missing;
  for (const auto& entry : fs::directory_iterator(Native(drive), missing)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class WipeRun : public testing::Test {
 protected:
  void SetUp() override { Program().pause_flag = 0; }
  void TearDown() override {
    files::SetWriteFault(nullptr);
    std::error_code ignored;
    for (std::string_view drive : {test::kSmallDrive, test::kLargeDrive, test::kExt4Drive}) {
      fs::remove_all(Native(drive), ignored);
    }
  }
  void Run(std::string_view drive, WipeType type) {
    RunWipe(std::string(drive), type, window_, clock_);
  }
  // Runs `look` once, when the run starts deleting (all files are closed then).
  void BeforeDeletion(std::function<void()> look) {
    window_.on_status = [look](const std::string& text) {
      if (text == kDeletingStatus) look();
    };
  }
  void ExpectCleanEnd(std::string_view drive) {
    EXPECT_FALSE(fs::exists(Native(drive))) << "the temporary folder is left";
    EXPECT_TRUE(window_.messages.empty()) << window_.messages.front().text;
    EXPECT_EQ(window_.progress_position, 0);
    ASSERT_FALSE(window_.statuses.empty());
    EXPECT_EQ(window_.statuses.front(), "Starting up ...");
    EXPECT_EQ(window_.statuses.back(), kDeletingStatus);
  }

  test::FakeWindow window_;
  test::FakeClock clock_{kTenInTheMorning, 1};  // every reading one second later
};

// Paused in the middle of the gigabyte part for five pump steps, the run
// writes nothing and sleeps between them; then it goes on.
TEST_F(WipeRun, AWholeGigabyteFileIsTenChunksOfOnesAndNothingIsWrittenWhilePaused) {
  const fs::path kelvor1 = Native(test::kLargeDrive, "Kelvor1.dat");
  Scan kelvor0, kelvor1_scan;
  std::vector<std::uintmax_t> sizes_while_paused;
  window_.on_pump = [&] {
    if (window_.progress_steps == 1 && kelvor1_scan.length == 0) {
      kelvor1_scan = ScanFile(kelvor1, '\xff');
    } else if (Program().pause_flag == 1) {
      sizes_while_paused.push_back(fs::file_size(kelvor1));
      if (sizes_while_paused.size() == 5) Program().pause_flag = 0;  // Resume
    } else if (sizes_while_paused.empty() && fs::exists(kelvor1) &&
               window_.statuses.back().find("Est Time Remaining") != std::string::npos) {
      Program().pause_flag = 1;  // what the Pause button does
    }
  };
  BeforeDeletion([&] { kelvor0 = ScanFile(Native(test::kLargeDrive, "Kelvor0.dat"), '\xff'); });
  Run(test::kLargeDrive, kAllOnes);
  EXPECT_EQ(kelvor1_scan.length, kGigabyteFileSize);
  EXPECT_EQ(kelvor1_scan.others, 0u);
  EXPECT_GT(kelvor0.length, 200u << 20);
  EXPECT_EQ(kelvor0.others, 0u);
  EXPECT_EQ(window_.progress_maximum, 1);
  EXPECT_EQ(window_.progress_step, 1);
  EXPECT_EQ(window_.progress_steps, 1);
  // A second per chunk: 102.4 MB/sec, and no gigabyte part after this one.
  EXPECT_EQ(std::count(window_.statuses.begin(), window_.statuses.end(),
                       "Rate:  102.4 MB/sec. Est Time Remaining:  0 sec."),
            10);
  ASSERT_EQ(sizes_while_paused.size(), 5u);
  EXPECT_EQ(sizes_while_paused.front(), sizes_while_paused.back());
  EXPECT_LT(sizes_while_paused.front(), kGigabyteFileSize) << "no pump step inside the part";
  EXPECT_EQ(std::count(window_.statuses.begin(), window_.statuses.end(),
                       "Paused. Select Resume to continue, or Cancel to end ..."),
            5);
  EXPECT_EQ(std::count(clock_.sleeps.begin(), clock_.sleeps.end(), 50u), 5);
  ExpectCleanEnd(test::kLargeDrive);
}

// The volume refuses a write that does not fit whole, as NTFS does; what
// Linux and Wine would write of it in part is left to the run's smaller writes.
TEST_F(WipeRun, AFullDiskInsideTheLastFileIsFilledToTheLastClusterAndEndsQuietly) {
  files::SetWriteFault([](std::size_t count) {
    std::uint64_t free_bytes = 0;
    os::QueryFreeBytes(test::kExt4Drive, &free_bytes);
    return count > free_bytes ? os::kDiskFull : os::kSuccess;
  });
  // Whenever the run lets the window in, every byte written so far is on the
  // device but for the last chunk, whose flush is under way: each chunk was
  // flushed in the next one's interval, so the rate measures the device, not
  // the cache. Everything is on the device before the deletion.
  std::optional<std::uint64_t> device_at_start = test::BytesWrittenToDevice(test::kExt4Drive);
  ASSERT_TRUE(device_at_start) << "the test cannot see the volume's device";
  std::uint64_t most_behind = 0, behind_at_deletion = 0, kelvor1_length = 0, free_left = ~0ull;
  auto behind = [&] {
    std::uint64_t written = 0;
    for (const std::string& name : FolderContents(test::kExt4Drive)) {
      fs::path path = Native(test::kExt4Drive, name);
      if (fs::is_regular_file(path)) written += fs::file_size(path);
    }
    std::uint64_t on_device = *test::BytesWrittenToDevice(test::kExt4Drive) - *device_at_start;
    return written > on_device ? written - on_device : 0;
  };
  window_.on_pump = [&] { most_behind = std::max(most_behind, behind()); };
  window_.on_status = [&](const std::string& text) {
    // The fill has filled the drive; the reserve for the record files is still held.
    if (text == kRecordFillText) os::QueryFreeBytes(test::kExt4Drive, &free_left);
    if (text != kDeletingStatus) return;
    behind_at_deletion = behind();
    kelvor1_length = fs::file_size(Native(test::kExt4Drive, "Kelvor1.dat"));
  };
  Run(test::kExt4Drive, kAllZeros);
  EXPECT_GT(kelvor1_length, 0u);
  EXPECT_LT(kelvor1_length, kGigabyteFileSize);
  EXPECT_LT(free_left, kCluster);
  EXPECT_LE(most_behind, kGigabyteChunk) << "bytes written but not yet on the device";
  EXPECT_EQ(behind_at_deletion, 0u) << "bytes not on the device when the deletion began";
  ExpectCleanEnd(test::kExt4Drive);
}

// In command-line mode the first word names the drive and the options choose
// the bytes; below a gigabyte only the remainder file is written. A drive
// that is not listed is never touched.
TEST_F(WipeRun, TheCommandLineChoosesTheDriveAndTheWipeType) {
  std::vector<std::string> files;
  std::string start(1 << 16, '?');
  BeforeDeletion([&] {
    files = FolderContents(test::kSmallDrive);
    std::ifstream(Native(test::kSmallDrive, "Kelvor0.dat"), std::ios::binary)
        .read(start.data(), static_cast<std::streamsize>(start.size()));
  });
  // The letter alone, in lower case, names the drive as well.
  const std::string small_letter(1, static_cast<char>(std::tolower(test::kSmallDrive[0])));
  EXPECT_EQ(ui::RunCommandLine(small_letter + " /B", window_, clock_), ui::kExitClean);
  EXPECT_EQ(files, std::vector<std::string>{"Kelvor0.dat"});
  EXPECT_EQ(start.find_first_not_of('\0'), std::string::npos) << "not All 0's";
  EXPECT_EQ(window_.progress_maximum, 0);
  EXPECT_EQ(window_.progress_steps, 0);
  std::size_t statuses = window_.statuses.size();
  for (const char* first : {"Q:", "A:", "/B", "\t", "X\"S"}) {
    EXPECT_EQ(ui::RunCommandLine(first, window_, clock_), ui::kExitDriveNotListed) << first;
  }
  EXPECT_EQ(window_.statuses.size(), statuses) << "a run began";
  ExpectCleanEnd(test::kSmallDrive);
}

}  // namespace
}  // namespace kelvor::engine
