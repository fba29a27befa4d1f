#include "engine/record_fill.h"

#include <algorithm>
#include <string_view>

#include "engine/program_state.h"
#include "engine/progress_text.h"
#include "files/file_access.h"
#include "files/folders.h"
#include "platform/os_drives.h"

namespace kelvor::engine {
namespace {

using files::ErrorNumber;
using files::ErrorState;

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

std::string FolderPath(int folder) {
  return Program().temp_folder_path + kRecordFolderName + std::to_string(folder) + "\\";
}

// The path of the n-th record file, counted from 0.
std::string RecordPath(int n) {
  int index = n % kFilesPerFolder;
  std::string name;
  if (index < kCharacters) {
    name = kNameCharacters[index];
  } else {
    index -= kCharacters;
    name = {kNameCharacters[index / kCharacters], kNameCharacters[index % kCharacters]};
  }
  return FolderPath(n / kFilesPerFolder + 1) + name;
}

// Makes a new file holding `bytes`; false when the filesystem refused a step.
template <typename Write>
bool WriteNewFile(const std::string& path, Flush flush, Write write) {
  ErrorState state;
  files::OpenFile(state, path, files::FileMode::kNewBinary, kRecordFileNumber);
  if (state.Number() != files::kNoError) return false;
  write(state);
  if (flush == Flush::kYes) files::FlushFile(state, kRecordFileNumber);
  files::CloseFile(state, kRecordFileNumber);
  return state.Number() == files::kNoError;
}

bool WriteNewFile(const std::string& path, std::string_view bytes) {
  return WriteNewFile(path, Flush::kNo, [bytes](ErrorState& state) {
    files::WriteBytes(state, kRecordFileNumber, bytes);
  });
}

std::string DriveRoot() {
  return Program().temp_folder_path.substr(0, 2);  // "E:"
}

bool FreeBytes(std::uint64_t* free_bytes) {
  return os::QueryFreeBytes(DriveRoot(), free_bytes) == os::kSuccess;
}

// Writes `bytes` as a new file and keeps it when that took no free space:
// the filesystem keeps it inside the file's record.
bool WriteFileKeptInRecord(const std::string& path, std::string_view bytes) {
  std::uint64_t before = 0, after = 0;
  if (!FreeBytes(&before)) return false;
  bool written = WriteNewFile(path, bytes);
  if (written && FreeBytes(&after) && after >= before) return true;
  ErrorState ignored;
  files::DeleteFiles(ignored, path);
  return false;
}

// Writes the first record file with the largest size that the filesystem
// keeps inside the file's record. Returns that size, or 0 where every file
// takes space of its own (ext4, tmpfs, FAT): there the stage has nothing to
// reach.
std::size_t WriteFirstRecordFile(std::string_view record) {
  const std::string path = RecordPath(0);
  if (WriteFileKeptInRecord(path, record.substr(0, kInlineExtentData))) return kInlineExtentData;
  for (std::size_t size = kLargestRecordData; size >= kSmallestRecordData;
       size -= kRecordAlignment) {
    if (WriteFileKeptInRecord(path, record.substr(0, size))) return size;
  }
  return 0;
}

// The run's fill pattern, repeated to the largest size a record may hold.
std::string RecordBytes(std::string_view chunk) {
  std::string record;
  while (record.size() < kInlineExtentData) {
    record += chunk.substr(0, kInlineExtentData - record.size());
  }
  return record;
}

}  // namespace

void PrepareRecordFill(WipeType wipe_type, const std::string& source_path) {
  ErrorState ignored;
  DeleteRecordFiles(ignored);
  files::MakeFolder(ignored, FolderPath(1));
  Chunk reserve;
  BuildChunk(ignored, wipe_type, kReserveBytes * kWritesPerPart, source_path, &reserve);
  WriteNewFile(Program().temp_folder_path + kReserveName, Flush::kYes,
               [&reserve](ErrorState& state) {
                 reserve.WriteTo(state, kRecordFileNumber, 0, reserve.size());
               });
}

void FillFreeRecords(const ErrorState& run, RunWindow& window, Clock& clock, const Chunk& chunk,
                     double fill_seconds, const std::function<void()>& wait_while_paused) {
  if (run.Number() != files::kNoError && run.Number() != files::kDiskFull) return;
  if (chunk.held().empty()) return;
  window.SetStatus(kRecordFillText);
  window.PumpStep();
  // The filesystem's own records of the fill files reach their home blocks
  // before the files are deleted (ext4's journal).
  os::CheckpointJournal(DriveRoot());
  ErrorState ignored;
  files::DeleteFiles(ignored, Program().temp_folder_path + kReserveName);
  std::string record = RecordBytes(chunk.held());
  std::size_t size = WriteFirstRecordFile(record);
  if (size == 0) {
    files::RemoveFolder(ignored, FolderPath(1));
    return;
  }
  record.resize(size);
  double started = SecondsOfDay(clock.Now());
  double longest = std::clamp(fill_seconds * kStageShareOfFill, kShortestStage, kLongestStage);
  std::uint64_t free_bytes = 0;
  FreeBytes(&free_bytes);
  for (int n = 1; n < kMostRecordFiles; ++n) {
    if (n % kFilesPerPumpStep == 0) {
      wait_while_paused();
      double elapsed = ElapsedSeconds(started, SecondsOfDay(clock.Now()));
      bool time_is_up = elapsed > longest && (n >= kFewestRecordFiles || elapsed > kLongestStage);
      if (time_is_up) return;
      std::uint64_t before = free_bytes;
      if (!FreeBytes(&free_bytes) || free_bytes + kTableGrowth <= before) return;
    }
    if (n % kFilesPerFolder == 0) {
      ErrorState folder;
      files::MakeFolder(folder, FolderPath(n / kFilesPerFolder + 1));
      if (folder.Number() != files::kNoError) return;
    }
    if (!WriteNewFile(RecordPath(n), record)) return;
  }
}

void DeleteRecordFiles(ErrorState& state) {
  ErrorNumber first_failure = files::kNoError;
  auto keep_first = [&first_failure](const ErrorState& step) {
    ErrorNumber number = step.Number();
    bool nothing_there = number == files::kFileNotFound || number == files::kPathNotFound;
    if (first_failure == files::kNoError && !nothing_there) first_failure = number;
  };
  // Folders of every number the stage may make: a run killed while deleting
  // them leaves a gap.
  for (int folder = 1; folder <= kMostFolders; ++folder) {
    for (std::string_view names : kRecordNamePatterns) {
      ErrorState deletion;
      files::DeleteFiles(deletion, FolderPath(folder) + std::string(names));
      keep_first(deletion);
    }
    ErrorState removal;
    files::RemoveFolder(removal, FolderPath(folder));
    keep_first(removal);
  }
  if (first_failure != files::kNoError && state.Number() == files::kNoError) {
    state.Record(first_failure);
  }
}

}  // namespace kelvor::engine
