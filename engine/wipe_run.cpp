#include "engine/wipe_run.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <string_view>
#include <vector>

#include "engine/chunks.h"
#include "engine/end_of_run.h"
#include "engine/random_bytes.h"
#include "engine/read_back.h"
#include "engine/record_fill.h"
#include "engine/slice_pace.h"
#include "probes/registry_reader.h"
#include "text/number_text.h"

namespace kelvor::engine {
namespace {

using files::Status;

constexpr unsigned kPausePollSleep = 50;               // milliseconds
constexpr unsigned kFlushPollSleep = 10;               // milliseconds
constexpr double kGigabyteChunkForRate = 107374182.4;  // 2^30 ÷ 10, unrounded
constexpr files::FileNumber kFillFileNumber = 1;

// One run's writing. Every step returns the failure that ends the writing
// (normally the full disk), and the caller returns it at once: the
// end-of-run sequence follows.
struct FillWriter {
  Run& run;
  RunWindow& window;
  Clock& clock;
  std::string source_path;
  std::int32_t parts = 0;
  Chunk chunk{};
  float rate = 0;  // bytes per second, kept from chunk to chunk
  bool fill_file_open = false;
  std::uint64_t bytes_written = 0;
  std::vector<FillFile> fill_files{};  // as written, for the read-back
  SlicePace pace{};
  bool pausable = false;  // a pause is honoured in the gigabyte parts only

  // Time of day rounded to whole seconds, halves to even.
  double WholeSeconds() { return text::RoundToDecimals(SecondsOfDay(clock.Now()), 0); }

  Status OpenFillFile(std::int32_t index) {
    std::string name = "Kelvor" + text::NumberText(index).substr(1) + ".dat";
    Status status = run.files.OpenFile(run.temp_folder_path + name, files::FileMode::kNewBinary,
                                       kFillFileNumber);
    fill_file_open = status.ok();
    if (fill_file_open) {
      fill_files.push_back({run.temp_folder_path + name, chunk.origin(), chunk.size(), 0, true});
    }
    return status;
  }

  // Closing waits for the last chunk's flush: one chunk, never a whole file.
  Status CloseFillFile() {
    AwaitFlush();
    fill_file_open = false;
    return run.files.CloseFile(kFillFileNumber);
  }

  // Between the slices of a chunk, and while a flush goes on: the window
  // handles what is pending, and in a gigabyte part a pause takes effect.
  void BetweenSlices() {
    if (pausable) return WaitWhilePaused();
    window.PumpStep();
  }

  // A slow device may take long to flush a chunk that its cache took at
  // once: the window goes on answering meanwhile.
  void AwaitFlush() {
    while (!run.files.FlushFinished(kFillFileNumber)) {
      BetweenSlices();
      clock.Sleep(kFlushPollSleep);
    }
  }

  // The file that a failure (normally the full disk) ended is flushed too,
  // so that its last chunk reaches the device before it is deleted. A failed
  // flush is what the run then reports instead of the full disk; any other
  // error that ended the writing stays the one reported.
  Status FlushEndedFillFile(Status ended) {
    if (!fill_file_open) return ended;
    Status flush = run.files.FlushFile(kFillFileNumber);
    return flush.failed() && ended.number == files::kDiskFull ? flush : ended;
  }

  // Before the read-back opens it again; the end-of-run sequence would close
  // it anyway.
  void CloseEndedFillFile() {
    if (fill_file_open) (void)CloseFillFile();
  }

  void CountWritten(std::size_t done) {
    bytes_written += done;
    if (!fill_files.empty()) fill_files.back().written += done;
  }

  // The whole chunk, in slices with the window's turn between them, or,
  // after a "disk full", as much of it as still fits.
  Status WriteChunk() {
    std::size_t done = 0;
    while (done < chunk.size()) {
      std::size_t slice = pace.Next(fill_files.back().written, chunk.size() - done);
      std::size_t written = 0;
      auto started = std::chrono::steady_clock::now();
      Status status = chunk.WriteTo(run.files, kFillFileNumber, done, slice, &written);
      pace.Took(written,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
      done += written;
      CountWritten(written);
      window.OnSliceWritten(written);
      if (status.number == files::kDiskFull) return WriteLastFreeBytes(done, status);
      if (status.failed()) return status;
      if (done < chunk.size()) BetweenSlices();
    }
    return files::kOk;
  }

  // Some filesystems (NTFS) refuse a write that does not fit whole. After the
  // first "disk full" the rest of the chunk goes in pieces of half its size,
  // halved again at every refusal down to one byte, so that the last free
  // bytes are written too. The run then ends as full, or with the error of a
  // piece that failed otherwise.
  Status WriteLastFreeBytes(std::size_t done, Status full) {
    std::size_t piece = (chunk.size() - done) / 2;
    while (piece > 0 && done < chunk.size()) {
      std::size_t written = 0;
      Status attempt = chunk.WriteTo(run.files, kFillFileNumber, done,
                                     std::min(piece, chunk.size() - done), &written);
      done += written;
      CountWritten(written);
      window.OnSliceWritten(written);
      if (attempt.ok() && written > 0) continue;
      if (attempt.failed() && attempt.number != files::kDiskFull) return attempt;
      piece /= 2;
    }
    return full;
  }

  // Pump, write the chunk between two whole-second time stamps, pump. The
  // chunk before it is flushed to the device in the same interval, the
  // chunk's own flush is started, and the device writes it while the next
  // chunk is written (where the OS writes through a cache): the rate
  // measures the device, not the cache, and the window never waits longer
  // than a chunk. A write that took a measurable time gives a new rate.
  Status WriteTimedChunk(std::int32_t part, double chunk_bytes) {
    window.PumpStep();
    double t0 = WholeSeconds();
    if (Status status = WriteChunk(); status.failed()) return status;
    AwaitFlush();
    if (Status status = run.files.FinishFlush(kFillFileNumber); status.failed()) return status;
    run.files.StartFlush(kFillFileNumber);
    double t1 = WholeSeconds();
    window.PumpStep();
    if (t1 != t0) rate = static_cast<float>(chunk_bytes / ElapsedSeconds(t0, t1));
    window.OnChunkWritten({part, parts, chunk.size(), rate});
    return files::kOk;
  }

  void WaitWhilePaused() {
    for (;;) {
      window.PumpStep();
      if (!window.PauseRequested()) return;
      window.OnPaused();
      clock.Sleep(kPausePollSleep);
    }
  }

  Status WriteRemainderPart(std::int32_t remainder) {
    if (Status status = OpenFillFile(0); status.failed()) return status;
    for (int write = 0; write < kWritesPerPart; ++write) {
      if (Status status = WriteTimedChunk(0, remainder / 10.0); status.failed()) return status;
    }
    return CloseFillFile();
  }

  // The read-back makes a pattern file's bytes again from the last chunk,
  // which starts with every earlier one when the file stayed the same
  // between its reads: otherwise the remainder file cannot be verified.
  bool RemainderIsPattern() const {
    return !fill_files.empty() && fill_files[0].origin.kind == ChunkOrigin::kPattern;
  }
  void CheckRemainderIsStartOfChunk(std::size_t remainder_hash, std::size_t remainder_size) {
    if (!RemainderIsPattern()) return;
    std::string_view start = chunk.held().substr(0, remainder_size);
    fill_files[0].known = chunk.origin().kind == ChunkOrigin::kPattern &&
                          start.size() == remainder_size &&
                          std::hash<std::string_view>{}(start) == remainder_hash;
  }

  Status WriteGigabyteParts() {
    std::size_t remainder_hash =
        RemainderIsPattern() ? std::hash<std::string_view>{}(chunk.held()) : 0;
    std::size_t remainder_size = chunk.held().size();
    if (Status status = BuildChunk(run.files, run.wipe_type, kBytesPerGigabyte, source_path,
                                   run.random, &chunk);
        status.failed()) {
      return status;
    }
    CheckRemainderIsStartOfChunk(remainder_hash, remainder_size);
    window.OnStage(Stage::kGigabyteParts);
    pausable = true;
    for (std::int32_t part = 1; part <= parts; ++part) {
      window.PumpStep();
      if (Status status = OpenFillFile(part); status.failed()) return status;
      for (int write = 0; write < kWritesPerPart; ++write) {
        if (Status status = WriteTimedChunk(part, kGigabyteChunkForRate); status.failed()) {
          return status;
        }
        WaitWhilePaused();
      }
      if (Status status = CloseFillFile(); status.failed()) return status;
      window.OnPartWritten(part);
      window.PumpStep();
    }
    return files::kOk;
  }

  // The trapped phase: the remainder part, then the gigabyte parts.
  Status WriteParts(std::int32_t remainder) {
    if (Status status = WriteRemainderPart(remainder); status.failed()) return status;
    return WriteGigabyteParts();
  }
};

// Before the error trap is set, a failure is only kept: the end-of-run
// sequence reports it unless a later one replaces it.
void Keep(Run& run, Status status) {
  if (status.failed()) run.error = status;
}

}  // namespace

RunOutcome RunWipe(Run& run, RunWindow& window, Clock& clock) {
  std::string source_path = probes::ReadRegistryString(kPatternKeyPath, kPatternValueName);
  window.OnStage(Stage::kStarting);
  window.PumpStep();
  run.random.Seed(SecondsOfDay(clock.Now()));

  // The drive is resolved once: what is mounted or removed during the run
  // cannot move it to another volume. A drive that cannot be held names
  // nothing, which shows when the first fill file cannot be opened. A folder
  // that is already there (a killed run left it) is no failure either.
  os::HoldDrive(run.drive_root, &run.drive);
  run.temp_folder_made = run.files.MakeFolder(run.temp_folder_path).ok();
  // Fill files and record files that a killed run left behind still take up
  // space that this run must overwrite; deleted first, they count as free.
  // Failing to delete them changes nothing kept: the end-of-run sequence
  // tries again.
  (void)run.files.DeleteFiles(run.temp_folder_path + kFillFilePattern);
  PrepareRecordFill(run);
  // The free space sizes the parts before the record reserve takes its
  // share: the reserve only makes the last part end at the full disk a
  // little earlier, which is how the writing ends anyway.
  std::uint64_t free_bytes = 0;
  os::QueryFreeBytes(run.drive, run.drive_root, &free_bytes);
  // A constant fill that the volume compresses reaches almost none of the
  // free space; where the volume compresses all the same, the read-back
  // shows what it stored. The record folder is made before, and those of
  // the record stage after: on btrfs only files of its usual kind are kept
  // inside the metadata, where the record stage must reach.
  os::NativeName temp_folder = os::ToNativeName(run.temp_folder_path);
  (void)os::StoreUncompressed(run.drive, temp_folder, true);
  FillWriter writer{.run = run,
                    .window = window,
                    .clock = clock,
                    .source_path = source_path,
                    .parts = static_cast<std::int32_t>(free_bytes / kBytesPerGigabyte)};
  WriteRecordReserve(run, source_path, &writer.chunk);

  auto remainder = static_cast<std::int32_t>(free_bytes % kBytesPerGigabyte);
  window.OnStarted({free_bytes, writer.parts});
  Keep(run, BuildChunk(run.files, run.wipe_type, static_cast<std::uint64_t>(remainder), source_path,
                       run.random, &writer.chunk));

  double fill_started = SecondsOfDay(clock.Now());
  Keep(run, writer.FlushEndedFillFile(writer.WriteParts(remainder)));
  double fill_seconds = ElapsedSeconds(fill_started, SecondsOfDay(clock.Now()));
  auto wait_while_paused = [&writer] { writer.WaitWhilePaused(); };
  (void)os::StoreUncompressed(run.drive, temp_folder, false);
  FillFreeRecords(run, window, clock, fill_seconds, wait_while_paused);
  writer.CloseEndedFillFile();
  RunOutcome outcome;
  outcome.read_back =
      VerifyFillFiles(run, window, clock, writer.fill_files, writer.chunk, wait_while_paused);
  outcome.bytes_written = writer.bytes_written;
  outcome.parts = writer.parts;
  // Where a filesystem takes it for a file (NTFS), the device learns of the
  // fill's blocks before the deletion frees them; elsewhere the whole volume
  // is trimmed after it.
  std::uint64_t files_trimmed = 0;
  for (const FillFile& file : writer.fill_files) {
    std::uint64_t trimmed = 0;
    if (run.trim &&
        os::TrimFile(run.drive, os::ToNativeName(file.path), &trimmed) == os::kSuccess) {
      files_trimmed += trimmed;
    }
  }
  outcome.reports = EndOfRun(run, window);
  for (const FillFile& file : writer.fill_files) {
    if (run.files.IsExistingFile(file.path)) outcome.files_left.push_back(file.path);
  }
  // Flash keeps old data in blocks the filesystem no longer uses until it
  // learns that they are free.
  if (run.trim && outcome.files_left.empty()) {
    outcome.trim.asked = true;
    outcome.trim.refusal = os::TrimFreeSpace(run.drive, run.drive_root, &outcome.trim.bytes);
    if (outcome.trim.refusal == os::kNotSupported && files_trimmed > 0) {
      outcome.trim.refusal = os::kSuccess;
      outcome.trim.bytes = files_trimmed;
    }
  }
  os::QueryFreeBytes(run.drive, run.drive_root, &outcome.free_bytes_after);
  window.OnFinished(outcome);
  return outcome;
}

}  // namespace kelvor::engine
