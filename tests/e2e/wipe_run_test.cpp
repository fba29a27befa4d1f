// Whole wipe runs, in process, on real size-limited volumes: the fake
// window's pump steps look at the volume while the run works.
#include "engine/wipe_run.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>

#include "command_line/command_line_run.h"
#include "engine/end_of_run.h"
#include "fakes.h"
#include "platform/os_drives.h"
#include "platform/os_registry.h"
#include "test_folder.h"
#include "test_platform.h"
#include "text/run_texts.h"

namespace kelvor::engine {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kGigabyteChunk = 107374182;
constexpr std::uint64_t kGigabyteFileSize = 10 * kGigabyteChunk;
constexpr const char* kDeletingStatus = text::kDeletingText;
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
  void TearDown() override {
    std::error_code ignored;
    for (std::string_view drive : {test::kSmallDrive, test::kLargeDrive, test::kExt4Drive}) {
      fs::remove_all(Native(drive), ignored);
    }
  }
  RunOutcome Wipe(std::string_view drive, WipeType type, VerifyMode verify = VerifyMode::kSample,
                  files::WriteFault fault = {}) {
    engine::Run run(drive[0], type, verify, std::move(fault));
    return RunWipe(run, window_, clock_);
  }
  // Runs `look` once, when the run starts deleting (all files are closed then).
  void BeforeDeletion(std::function<void()> look) {
    window_.on_status = [look](const std::string& text) {
      if (text == kDeletingStatus) look();
    };
  }
  void ExpectCleanEnd(std::string_view drive) {
    EXPECT_FALSE(fs::exists(Native(drive))) << "the temporary folder is left";
    EXPECT_TRUE(window_.reports.empty()) << int{window_.reports.front()};
    EXPECT_EQ(window_.finished, 1);
    ASSERT_FALSE(window_.statuses.empty());
    EXPECT_EQ(window_.statuses.front(), "Starting up ...");
    EXPECT_EQ(window_.statuses.back(), kDeletingStatus);
  }

  test::FakeWindow window_;
  test::FakeClock clock_{kTenInTheMorning, 1};  // every reading one second later
};

// The free space at the start sizes the parts: the remainder part is ten
// equal chunks of a tenth of what is left over a whole gigabyte, and the
// gigabyte part, the last, ends at the full disk (the record stage's reserve
// took its share). Paused in the middle of the gigabyte part for five pump
// steps, the run writes nothing and sleeps between them; then it goes on.
TEST_F(WipeRun, TheFreeSpaceSizesThePartsAndNothingIsWrittenWhilePaused) {
  const fs::path kelvor1 = Native(test::kLargeDrive, "Kelvor1.dat");
  Scan kelvor0, kelvor1_scan;
  std::vector<std::uintmax_t> sizes_while_paused;
  window_.on_pump = [&] {
    if (window_.paused) {
      sizes_while_paused.push_back(fs::file_size(kelvor1));
      if (sizes_while_paused.size() == 5) window_.paused = false;  // Resume
    } else if (sizes_while_paused.empty() && fs::exists(kelvor1) &&
               window_.statuses.back().find("Est Time Remaining") != std::string::npos) {
      window_.paused = true;  // what the Pause button does
    }
  };
  BeforeDeletion([&] {
    kelvor0 = ScanFile(Native(test::kLargeDrive, "Kelvor0.dat"), '\xff');
    kelvor1_scan = ScanFile(kelvor1, '\xff');
  });
  RunOutcome outcome = Wipe(test::kLargeDrive, kAllOnes);
  ASSERT_EQ(window_.started.size(), 1u);
  std::uint64_t remainder = window_.started[0].free_bytes % (std::uint64_t{1} << 30);
  EXPECT_GT(remainder, 200u << 20);
  EXPECT_EQ(kelvor0.length, remainder / 10 * 10);
  EXPECT_EQ(kelvor0.others, 0u);
  EXPECT_GT(kelvor1_scan.length, kGigabyteFileSize - (32u << 20));
  EXPECT_LT(kelvor1_scan.length, kGigabyteFileSize);
  EXPECT_EQ(kelvor1_scan.others, 0u);
  EXPECT_EQ(outcome.bytes_written, kelvor0.length + kelvor1_scan.length);
  EXPECT_EQ(window_.progress_maximum, 1);
  EXPECT_EQ(window_.progress_steps, 0);
  // A second per chunk: 102.4 MB/sec, and no gigabyte part after this one;
  // the tenth chunk meets the full disk.
  EXPECT_EQ(std::count(window_.statuses.begin(), window_.statuses.end(),
                       "Rate:  102.4 MB/sec. Est Time Remaining:  0 sec."),
            9);
  ASSERT_EQ(sizes_while_paused.size(), 5u);
  EXPECT_EQ(sizes_while_paused.front(), sizes_while_paused.back());
  EXPECT_LT(sizes_while_paused.front(), kelvor1_scan.length) << "no pump step inside the part";
  EXPECT_EQ(std::count(window_.statuses.begin(), window_.statuses.end(),
                       "Paused. Select Resume to continue, or Cancel to end ..."),
            5);
  EXPECT_EQ(std::count(clock_.sleeps.begin(), clock_.sleeps.end(), 50u), 5);
  ExpectCleanEnd(test::kLargeDrive);
}

// The volume refuses a write that does not fit whole, as NTFS does; what
// Linux and Wine would write of it in part is left to the run's smaller writes.
TEST_F(WipeRun, AFullDiskInsideTheLastFileIsFilledToTheLastClusterAndEndsQuietly) {
  auto whole_or_nothing = [](std::size_t count) {
    std::uint64_t free_bytes = 0;
    os::DriveHold nothing_held;
    os::QueryFreeBytes(nothing_held, test::kExt4Drive, &free_bytes);
    return count > free_bytes ? os::kDiskFull : os::kSuccess;
  };
  // Whenever the run lets the window in (between the slices of a chunk too),
  // every byte written so far is on the device but for the chunk under way
  // and the one before it, whose flush is under way: each chunk was flushed
  // in the next one's interval, so the rate measures the device, not the
  // cache. Everything is on the device before the deletion.
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
    if (text == text::kRecordFillText) {
      os::DriveHold nothing_held;
      os::QueryFreeBytes(nothing_held, test::kExt4Drive, &free_left);
    }
    if (text != kDeletingStatus) return;
    behind_at_deletion = behind();
    kelvor1_length = fs::file_size(Native(test::kExt4Drive, "Kelvor1.dat"));
  };
  RunOutcome outcome = Wipe(test::kExt4Drive, kAllZeros, VerifyMode::kSample, whole_or_nothing);
  // Read back from the device (Wine reads through the host's cache), and
  // nothing of the fill was stored in less room than it took.
  EXPECT_EQ(outcome.read_back.path,
            test::UnderWine() ? os::ReadBackPath::kThroughCache : os::ReadBackPath::kDirect);
  EXPECT_GE(outcome.read_back.bytes_stored, outcome.bytes_written);
  EXPECT_GT(kelvor1_length, 0u);
  EXPECT_LT(kelvor1_length, kGigabyteFileSize);
  EXPECT_LT(free_left, kCluster);
  EXPECT_LE(most_behind, 2 * kGigabyteChunk) << "bytes written but not yet on the device";
  EXPECT_EQ(behind_at_deletion, 0u) << "bytes not on the device when the deletion began";
  ExpectCleanEnd(test::kExt4Drive);
}

// In command-line mode the first word names the drive and the options choose
// the bytes; below a gigabyte only the remainder file is written, and the
// full disk ends it before the gigabyte parts begin. A drive that is not
// listed is never touched.
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
  EXPECT_EQ(command_line::RunCommandLine(small_letter + " /B", window_, clock_),
            command_line::kExitClean);
  EXPECT_EQ(files, std::vector<std::string>{"Kelvor0.dat"});
  EXPECT_EQ(start.find_first_not_of('\0'), std::string::npos) << "not All 0's";
  EXPECT_EQ(window_.progress_maximum, -1);
  EXPECT_TRUE(window_.reports.empty());
  std::size_t statuses = window_.statuses.size();
  for (const char* first : {"Q:", "A:", "/B", "\t", "X\"S"}) {
    EXPECT_EQ(command_line::RunCommandLine(first, window_, clock_),
              command_line::kExitDriveNotListed)
        << first;
  }
  EXPECT_EQ(window_.statuses.size(), statuses) << "a run began";
  ExpectCleanEnd(test::kSmallDrive);
}

// A run tells its window what happens in order: it starts, writes chunks
// until the disk is full (here inside the remainder part), fills the free
// records, reads back what it wrote, deletes, finishes. A
// second run on another volume, started and ended inside a pump step of the
// first, shares nothing with it: each holds its own drive and files.
TEST_F(WipeRun, TwoRunsSideBySideEachTellTheirOwnEventsInOrder) {
  test::FakeWindow inner;
  RunOutcome inner_outcome;
  window_.on_pump = [&] {
    if (window_.chunks.size() != 1 || inner.finished) return;
    engine::Run second(test::kWorkDrive[0], kAllZeros);
    inner_outcome = RunWipe(second, inner, clock_);
  };
  RunOutcome outcome = Wipe(test::kSmallDrive, kAllOnes);
  for (const test::FakeWindow* window : {&window_, &inner}) {
    EXPECT_EQ(window->stages, (std::vector<Stage>{Stage::kStarting, Stage::kRecords,
                                                  Stage::kVerifying, Stage::kDeleting}));
    ASSERT_EQ(window->started.size(), 1u);
    EXPECT_EQ(window->started[0].parts, 0);
    EXPECT_FALSE(window->chunks.empty());
    EXPECT_EQ(window->finished, 1);
    EXPECT_TRUE(window->reports.empty());
  }
  EXPECT_GT(outcome.bytes_written, window_.started[0].free_bytes - (32u << 20));
  EXPECT_GT(inner_outcome.bytes_written, inner.started[0].free_bytes - (32u << 20));
  EXPECT_FALSE(fs::exists(Native(test::kWorkDrive)));
  ExpectCleanEnd(test::kSmallDrive);
}

// Cancel in the middle of the writing, and of the reading back, as the
// window does it between two messages: the open fill file is closed and
// deleted and the folder removed at once, so the space is free again before
// the program ends; the run tells nothing more, not even the deletion stage.
TEST_F(WipeRun, ACancelGivesTheSpaceBackAtOnce) {
  struct ProgramEnded {};  // what ends the program after the clean-up
  for (Stage cancelled_in : {Stage::kStarting, Stage::kVerifying}) {
    window_ = {};
    engine::Run run(test::kSmallDrive[0], kAllOnes, VerifyMode::kFull);
    int pumps_in_stage = 0;  // the second is inside a file's writing or reading back
    window_.on_pump = [&] {
      if (window_.chunks.empty() || window_.stages.back() != cancelled_in) return;
      if (++pumps_in_stage < 2) return;
      CleanUpAfterCancel(run);
      throw ProgramEnded{};
    };
    EXPECT_THROW(RunWipe(run, window_, clock_), ProgramEnded);
    std::uint64_t free_after = 0;
    os::QueryFreeBytes(run.drive, run.drive_root, &free_after);
    ASSERT_EQ(window_.started.size(), 1u);
    EXPECT_GE(free_after, window_.started[0].free_bytes);
    EXPECT_FALSE(fs::exists(Native(test::kSmallDrive)));
    EXPECT_EQ(window_.stages.back(), cancelled_in);
    EXPECT_TRUE(window_.reports.empty());
    EXPECT_EQ(window_.finished, 0);
  }
}

// Before the deletion every byte of the fill reads back as written (here
// pseudo-random bytes, the gigabyte part's compared with its chunk in memory
// and the remainder file's drawn again from their seed, on a volume whose
// direct writes are still on their way while the next ones are copied into
// aligned buffers); a
// stretch changed behind the run's back after the writing, in a fill of
// pseudo-random bytes, of a pattern file's or of one byte repeated, fails
// the run with "Disk media error", reported after the deletion, and the
// sample always holds a file's first MiB.
TEST_F(WipeRun, TheFillReadsBackAsWrittenAndAChangedStretchFailsTheRun) {
  RunOutcome clean = Wipe(test::kExt4Drive, kBinaryBlocks, VerifyMode::kFull);
  EXPECT_TRUE(clean.read_back.done);
  EXPECT_EQ(clean.read_back.bytes_verified, clean.bytes_written);
  EXPECT_EQ(clean.read_back.mismatched_bytes, 0u);
  EXPECT_EQ(clean.read_back.path,
            test::UnderWine() ? os::ReadBackPath::kThroughCache : os::ReadBackPath::kDirect);
  EXPECT_TRUE(clean.reports.empty());

  constexpr std::uint64_t kChangedAt = 1000, kChanged = 100;
  // Bytes that the fill never holds there: never 100 pseudo-random ones
  // alike, nor the pattern's.
  struct Fill {
    WipeType type;
    bool from_pattern_file;
    char changed_to;
  };
  for (Fill fill : {Fill{kBinaryBlocks, false, '\xff'}, Fill{kBinaryBlocks, true, '\xff'},
                    Fill{kAllOnes, false, '\x5a'}}) {
    SCOPED_TRACE(testing::Message() << fill.type << (fill.from_pattern_file ? " pattern" : ""));
    test::TestFolder folder;
    test::TestRegistry registry;
    if (fill.from_pattern_file) {
      folder.Write("wallpaper.bmp", std::string(4099, '\x01'));
      registry.Set("Control Panel\\Desktop", "Wallpaper", os::kRegSz,
                   folder / "wallpaper.bmp" + '\0');
    }
    window_ = {};
    window_.on_status = [changed_to = fill.changed_to](const std::string& text) {
      if (text != text::kVerifyingText) return;
      std::fstream file(Native(test::kSmallDrive, "Kelvor0.dat"),
                        std::ios::in | std::ios::out | std::ios::binary);
      file.seekp(kChangedAt);
      file.write(std::string(kChanged, changed_to).data(), kChanged);
    };
    RunOutcome changed = Wipe(test::kSmallDrive, fill.type);
    EXPECT_LT(changed.read_back.bytes_verified, changed.bytes_written / 10);
    EXPECT_GE(changed.read_back.bytes_verified, changed.bytes_written / 100);
    ASSERT_EQ(changed.read_back.mismatches.size(), 1u);
    EXPECT_EQ(changed.read_back.mismatches[0].file, "Kelvor0.dat");
    EXPECT_EQ(changed.read_back.mismatches[0].offset, kChangedAt);
    EXPECT_EQ(changed.read_back.mismatches[0].length, kChanged);
    EXPECT_EQ(window_.reports, std::vector<files::ErrorNumber>{files::kDiskMediaError});
    EXPECT_EQ(window_.stages.back(), Stage::kDeleting);
    EXPECT_FALSE(fs::exists(Native(test::kSmallDrive)));
    EXPECT_EQ(command_line::ExitCodeOf(changed), command_line::kExitReported);
  }
}

// A pattern file's chunks: the remainder file reads back as the start of the
// gigabyte part's chunk, which it is when the file stays the same; a file
// changed between its two reads leaves the remainder file unverifiable, and
// the run still verifies the rest.
TEST_F(WipeRun, APatternFillReadsBackUnlessThePatternChangedMeanwhile) {
  test::TestFolder folder;
  std::string pattern(4099, '\0');
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<char>(i * 31 + i / 7);
  folder.Write("wallpaper.bmp", pattern);
  test::TestRegistry registry;
  registry.Set("Control Panel\\Desktop", "Wallpaper", os::kRegSz, folder / "wallpaper.bmp" + '\0');

  RunOutcome same = Wipe(test::kLargeDrive, kBinaryBlocks, VerifyMode::kFull);
  EXPECT_EQ(same.read_back.bytes_verified, same.bytes_written);
  EXPECT_EQ(same.read_back.mismatched_bytes, 0u);
  EXPECT_EQ(same.read_back.files_not_verifiable, 0);
  EXPECT_TRUE(same.reports.empty());

  window_ = {};
  window_.on_pump = [&] {
    if (window_.chunks.size() == 1) folder.Write("wallpaper.bmp", pattern.substr(1));
  };
  RunOutcome changed = Wipe(test::kLargeDrive, kBinaryBlocks, VerifyMode::kFull);
  EXPECT_EQ(changed.read_back.files_not_verifiable, 1);
  EXPECT_EQ(changed.read_back.mismatched_bytes, 0u);
  EXPECT_GT(changed.read_back.bytes_verified, 0u);
  EXPECT_TRUE(changed.reports.empty());
}

// A drive where no folder can be made writes nothing and reports both
// failures, the writing's and the deletion's, after the deletion.
TEST_F(WipeRun, AFailedRunReportsAfterTheDeletion) {
  RunOutcome outcome = Wipe(test::kReadOnlyDrive, kAllOnes);
  EXPECT_EQ(window_.stages, (std::vector<Stage>{Stage::kStarting, Stage::kDeleting}));
  EXPECT_TRUE(window_.chunks.empty());
  EXPECT_EQ(window_.reports,
            (std::vector<files::ErrorNumber>{files::kPathNotFound, files::kFileNotFound}));
  ASSERT_EQ(outcome.reports.size(), 2u);
  EXPECT_EQ(outcome.bytes_written, 0u);
  EXPECT_EQ(command_line::ExitCodeOf(outcome), command_line::kExitReported);
}

}  // namespace
}  // namespace kelvor::engine
