#include "engine/record_fill.h"

#include <algorithm>
#include <string_view>

namespace kelvor::engine {
namespace {

using files::Status;

constexpr const char* kReserveName = "Kelvor-reserve.dat";
// Measured on ntfs-3g: each name in a folder's index takes about 170 bytes,
// so this gives room for some 90,000 names, about kMostRecordFiles.
constexpr std::uint64_t kReserveBytes = 16 << 20;
constexpr const char* kRecordFolderName = "KelvorRecords";  // 1, 2, ... follow
// Names as short as a folder allows: one character, then two.
constexpr std::string_view kNameCharacters = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr int kCharacters = static_cast<int>(kNameCharacters.size());
constexpr int kFilesPerFolder = kCharacters + kCharacters * kCharacters;
constexpr std::string_view kRecordNamePatterns[] = {"?", "??"};
// The stage ends by itself on every filesystem, at the latest after these:
// a tenth of the fill's time, but not before kShortestStage has passed and
// kFewestRecordFiles are written (a small volume is filled in seconds, while
// a small file takes a millisecond or more, five times that under Wine:
// btrfs took some 10,400 files of 2 KiB on 700 MB), and at most kLongestStage.
constexpr int kMostRecordFiles = 100000;
constexpr int kMostFolders = (kMostRecordFiles + kFilesPerFolder - 1) / kFilesPerFolder;
constexpr double kStageShareOfFill = 0.1;
constexpr double kShortestStage = 5;  // seconds
constexpr int kFewestRecordFiles = 12000;
constexpr double kLongestStage = 60;
constexpr int kFilesPerPumpStep = 32;  // a pump step sleeps when no message waits
// Free records are reused first. Once the free space shrinks by a record per
// file, the table grows into it: its new records never held a deleted file.
constexpr std::uint64_t kRecordBytes = 1024;
constexpr std::uint64_t kTableGrowth = kRecordBytes * kFilesPerPumpStep;
// btrfs keeps a file of up to 2 KiB inside its metadata (its default
// max_inline): tried first, since fewer, larger files fill it sooner.
constexpr std::size_t kInlineExtentData = 2048;
// A 1 KiB record holds 744 bytes of a file whose name has at most three
// characters, as Windows lays it out; ntfs-3g keeps a security descriptor
// there too and leaves 664. Sizes are tried from the largest down, in steps
// of the records' 8-byte alignment. Half a record is the least worth taking.
constexpr std::size_t kLargestRecordData = 744;
constexpr std::size_t kSmallestRecordData = 512;
constexpr std::size_t kRecordAlignment = 8;
constexpr files::FileNumber kRecordFileNumber = 3;  // the run's files are 1 and 2

enum class Flush { kNo, kYes };

std::string FolderPath(const Run& run, int folder) {
  return run.temp_folder_path + kRecordFolderName + std::to_string(folder) + "\\";
}

// The path of the n-th record file, counted from 0.
std::string RecordPath(const Run& run, int n) {
  int index = n % kFilesPerFolder;
  std::string name;
  if (index < kCharacters) {
    name = kNameCharacters[index];
  } else {
    index -= kCharacters;
    name = {kNameCharacters[index / kCharacters], kNameCharacters[index % kCharacters]};
  }
  return FolderPath(run, n / kFilesPerFolder + 1) + name;
}

// Makes a new file holding what `write` writes; false when the filesystem
// refused a step.
template <typename Write>
bool WriteNewFile(files::FileAccess& files, const std::string& path, Flush flush, Write write) {
  if (files.OpenFile(path, files::FileMode::kNewBinary, kRecordFileNumber).failed()) return false;
  std::size_t written = 0;
  bool failed = write(&written).failed();
  if (flush == Flush::kYes) failed |= files.FlushFile(kRecordFileNumber).failed();
  failed |= files.CloseFile(kRecordFileNumber).failed();
  return !failed;
}

bool WriteNewFile(files::FileAccess& files, const std::string& path, std::string_view bytes) {
  return WriteNewFile(files, path, Flush::kNo, [&files, bytes](std::size_t* written) {
    return files.WriteBytes(kRecordFileNumber, bytes, written);
  });
}

bool FreeBytes(Run& run, std::uint64_t* free_bytes) {
  return os::QueryFreeBytes(run.drive, run.drive_root, free_bytes) == os::kSuccess;
}

// Writes `bytes` as a new file and keeps it when that took no free space:
// the filesystem keeps it inside the file's record.
bool WriteFileKeptInRecord(Run& run, const std::string& path, std::string_view bytes) {
  std::uint64_t before = 0, after = 0;
  if (!FreeBytes(run, &before)) return false;
  bool written = WriteNewFile(run.files, path, bytes);
  if (written && FreeBytes(run, &after) && after >= before) return true;
  (void)run.files.DeleteFiles(path);
  return false;
}

// Writes the first record file with the largest size that the filesystem
// keeps inside the file's record. Returns that size, or 0 where every file
// takes space of its own (ext4, tmpfs, FAT): there the stage has nothing to
// reach.
std::size_t WriteFirstRecordFile(Run& run, std::string_view record) {
  const std::string path = RecordPath(run, 0);
  if (WriteFileKeptInRecord(run, path, record.substr(0, kInlineExtentData))) {
    return kInlineExtentData;
  }
  for (std::size_t size = kLargestRecordData; size >= kSmallestRecordData;
       size -= kRecordAlignment) {
    if (WriteFileKeptInRecord(run, path, record.substr(0, size))) return size;
  }
  return 0;
}

// Bytes that no volume stores in less room than they take, as many as a
// record may hold: a volume that compresses keeps a file of one repeated
// byte in a few dozen bytes of its metadata, and would never be filled.
std::string RecordBytes(RandomGenerator& random) {
  std::string record(kInlineExtentData, '\0');
  random.Bytes(record.data(), record.size());
  return record;
}

}  // namespace

void PrepareRecordFill(Run& run) {
  (void)DeleteRecordFiles(run);
  (void)run.files.MakeFolder(FolderPath(run, 1));
}

void WriteRecordReserve(Run& run, const std::string& source_path, Chunk* room) {
  (void)BuildChunk(run.files, run.wipe_type, kReserveBytes * kWritesPerPart, source_path,
                   run.random, room);
  WriteNewFile(run.files, run.temp_folder_path + kReserveName, Flush::kYes,
               [&run, room](std::size_t* written) {
                 return room->WriteTo(run.files, kRecordFileNumber, 0, room->size(), written);
               });
}

void FillFreeRecords(Run& run, RunWindow& window, Clock& clock, double fill_seconds,
                     const std::function<void()>& wait_while_paused) {
  if (run.error.failed() && run.error.number != files::kDiskFull) return;
  window.OnStage(Stage::kRecords);
  window.PumpStep();
  // The filesystem's own records of the fill files reach their home blocks
  // before the files are deleted (ext4's journal).
  os::CheckpointJournal(run.drive, run.drive_root);
  (void)run.files.DeleteFiles(run.temp_folder_path + kReserveName);
  std::string record = RecordBytes(run.random);
  std::size_t size = WriteFirstRecordFile(run, record);
  if (size == 0) {
    (void)run.files.RemoveFolder(FolderPath(run, 1));
    return;
  }
  record.resize(size);
  double started = SecondsOfDay(clock.Now());
  double longest = std::clamp(fill_seconds * kStageShareOfFill, kShortestStage, kLongestStage);
  std::uint64_t free_bytes = 0;
  FreeBytes(run, &free_bytes);
  for (int n = 1; n < kMostRecordFiles; ++n) {
    if (n % kFilesPerPumpStep == 0) {
      wait_while_paused();
      double elapsed = ElapsedSeconds(started, SecondsOfDay(clock.Now()));
      bool time_is_up = elapsed > longest && (n >= kFewestRecordFiles || elapsed > kLongestStage);
      if (time_is_up) return;
      std::uint64_t before = free_bytes;
      if (!FreeBytes(run, &free_bytes) || free_bytes + kTableGrowth <= before) return;
    }
    if (n % kFilesPerFolder == 0 &&
        run.files.MakeFolder(FolderPath(run, n / kFilesPerFolder + 1)).failed()) {
      return;
    }
    if (!WriteNewFile(run.files, RecordPath(run, n), record)) return;
  }
}

Status DeleteRecordFiles(Run& run) {
  Status first_failure;
  auto keep_first = [&first_failure](Status step) {
    bool nothing_there = step.number == files::kFileNotFound || step.number == files::kPathNotFound;
    if (first_failure.ok() && !nothing_there) first_failure = step;
  };
  // Folders of every number the stage may make: a run killed while deleting
  // them leaves a gap.
  for (int folder = 1; folder <= kMostFolders; ++folder) {
    for (std::string_view names : kRecordNamePatterns) {
      keep_first(run.files.DeleteFiles(FolderPath(run, folder) + std::string(names)));
    }
    keep_first(run.files.RemoveFolder(FolderPath(run, folder)));
  }
  return first_failure;
}

}  // namespace kelvor::engine
