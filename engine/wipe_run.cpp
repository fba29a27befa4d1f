#include "engine/wipe_run.h"

#include <algorithm>
#include <string_view>

#include "engine/cleanup.h"
#include "engine/number_text.h"
#include "engine/program_state.h"
#include "engine/progress_text.h"
#include "engine/random_bytes.h"
#include "engine/record_fill.h"
#include "files/file_access.h"
#include "files/folders.h"
#include "platform/os_drives.h"
#include "probes/registry_reader.h"

namespace kelvor::engine {
namespace {

using files::ErrorState;

constexpr const char* kStartingText = "Starting up ...";
constexpr const char* kPausedText = "Paused. Select Resume to continue, or Cancel to end ...";
constexpr unsigned kPausePollSleep = 50;               // milliseconds
constexpr double kGigabyteChunkForRate = 107374182.4;  // 2^30 ÷ 10, unrounded
constexpr files::FileNumber kFillFileNumber = 1;

// One run's writing. Every step returns false when the error trap fired, and
// the caller returns at once: the end-of-run sequence follows.
struct FillWriter {
  ErrorState& state;
  RunWindow& window;
  Clock& clock;
  WipeType wipe_type;
  std::string source_path;
  Chunk chunk;
  float rate = 0;  // bytes per second, kept from chunk to chunk
  bool fill_file_open = false;

  // Time of day rounded to whole seconds, halves to even.
  double WholeSeconds() { return RoundToDecimals(SecondsOfDay(clock.Now()), 0); }

  bool OpenFillFile(std::int32_t index) {
    std::string name = "Kelvor" + NumberText(index).substr(1) + ".dat";
    files::OpenFile(state, Program().temp_folder_path + name, files::FileMode::kNewBinary,
                    kFillFileNumber);
    if (state.Check()) return false;
    fill_file_open = true;
    return true;
  }

  // Closing waits for the last chunk's flush: one chunk, never a whole file.
  bool CloseFillFile() {
    files::CloseFile(state, kFillFileNumber);
    fill_file_open = false;
    return !state.Check();
  }

  // The file that a failure (normally the full disk) ended is flushed too,
  // so that its last chunk reaches the device before it is deleted. A failed
  // flush is what the run then reports instead of the full disk; any other
  // error that ended the writing stays the one reported.
  void FlushEndedFillFile() {
    if (!fill_file_open) return;
    ErrorState flush;
    files::FlushFile(flush, kFillFileNumber);
    if (flush.Number() != files::kNoError && state.Number() == files::kDiskFull) {
      state.Record(flush.Number());
    }
  }

  // The whole chunk as one write, or, after a "disk full", as much of it as
  // still fits.
  bool WriteChunk() {
    std::size_t done = chunk.WriteTo(state, kFillFileNumber, 0, chunk.size());
    if (!state.Check()) return true;
    if (state.Number() == files::kDiskFull) WriteLastFreeBytes(done);
    return false;
  }

  // Some filesystems (NTFS) refuse a write that does not fit whole. After the
  // first "disk full" the rest of the chunk goes in pieces of half its size,
  // halved again at every refusal down to one byte, so that the last free
  // bytes are written too. The run then ends as full, or with the error of a
  // piece that failed otherwise.
  void WriteLastFreeBytes(std::size_t done) {
    std::size_t piece = (chunk.size() - done) / 2;
    while (piece > 0 && done < chunk.size()) {
      ErrorState attempt;
      std::size_t written =
          chunk.WriteTo(attempt, kFillFileNumber, done, std::min(piece, chunk.size() - done));
      done += written;
      if (attempt.Number() == files::kNoError && written > 0) continue;
      if (attempt.Number() != files::kNoError && attempt.Number() != files::kDiskFull) {
        return state.Record(attempt.Number());
      }
      piece /= 2;
    }
  }

  // Pump, write the chunk between two whole-second time stamps, pump. The
  // chunk before it is flushed to the device in the same interval, the
  // chunk's own flush is started, and the device writes it while the next
  // chunk is written (where the OS writes through a cache): the rate
  // measures the device, not the cache, and the window never waits longer
  // than a chunk. A write that took a measurable time gives a new rate.
  bool WriteTimedChunk(double chunk_bytes) {
    window.PumpStep();
    double t0 = WholeSeconds();
    if (!WriteChunk()) return false;
    files::FinishFlush(state, kFillFileNumber);
    if (state.Check()) return false;
    files::StartFlush(kFillFileNumber);
    double t1 = WholeSeconds();
    window.PumpStep();
    if (t1 != t0) rate = static_cast<float>(chunk_bytes / ElapsedSeconds(t0, t1));
    return true;
  }

  void WaitWhilePaused() {
    for (;;) {
      window.PumpStep();
      if (Program().pause_flag != kPaused) return;
      window.SetStatus(kPausedText);
      clock.Sleep(kPausePollSleep);
    }
  }

  bool WriteRemainderPart(std::int32_t remainder) {
    if (!OpenFillFile(0)) return false;
    for (int write = 0; write < kWritesPerPart; ++write) {
      if (!WriteTimedChunk(remainder / 10.0)) return false;
      window.SetStatus(RateText(rate));
    }
    return CloseFillFile();
  }

  bool WriteGigabyteParts(std::int32_t gigabytes) {
    if (!BuildChunk(state, wipe_type, kBytesPerGigabyte, source_path, &chunk)) return false;
    window.SetProgressRange(gigabytes);
    window.SetProgressStep(1);
    for (std::int32_t part = 1; part <= gigabytes; ++part) {
      window.PumpStep();
      if (!OpenFillFile(part)) return false;
      for (int write = 0; write < kWritesPerPart; ++write) {
        if (!WriteTimedChunk(kGigabyteChunkForRate)) return false;
        // Only the parts after this one count: the estimate reaches 0 in the last.
        auto remaining =
            static_cast<float>((gigabytes - part) * static_cast<double>(kBytesPerGigabyte) / rate);
        window.SetStatus(GigabyteStatusText(rate, TimeRemainingText(remaining)));
        WaitWhilePaused();
      }
      if (!CloseFillFile()) return false;
      window.StepProgress();
      window.PumpStep();
    }
    return true;
  }
};

}  // namespace

void RunWipe(const std::string& drive_text, WipeType wipe_type, RunWindow& window, Clock& clock) {
  ErrorState state;
  std::string source_path = probes::ReadRegistryString(kPatternKeyPath, kPatternValueName);
  window.SetStatus(kStartingText);
  window.PumpStep();
  SeedRandom(SecondsOfDay(clock.Now()));

  // Failures before the trap is set are only recorded: the end-of-run
  // sequence reports them unless a later failure replaces them. A folder
  // that is already there (a killed run left it) is no failure; one that
  // cannot be made shows when the first fill file cannot be opened in it.
  std::string drive_root = drive_text.substr(0, 1) + ":";
  Program().temp_folder_path = drive_root + "\\" + kTempFolderName + "\\";
  // The drive is resolved once: what is mounted or removed during the run
  // cannot move it to another volume. A drive that cannot be held names
  // nothing, which shows in the same way.
  os::HoldDrive(drive_root);
  ErrorState folder;
  files::MakeFolder(folder, Program().temp_folder_path);
  Program().temp_folder_made = folder.Number() == files::kNoError;
  // Fill files that a killed run left behind still take up space that this
  // run must overwrite; deleted first, they count as free. Failing to delete
  // them changes nothing recorded: the end-of-run sequence tries again.
  ErrorState leftovers;
  files::DeleteFiles(leftovers, Program().temp_folder_path + kFillFilePattern);
  PrepareRecordFill(wipe_type, source_path);
  std::uint64_t free_bytes = 0;
  os::QueryFreeBytes(drive_root, &free_bytes);
  auto gigabytes = static_cast<std::int32_t>(free_bytes / kBytesPerGigabyte);
  auto remainder = static_cast<std::int32_t>(free_bytes % kBytesPerGigabyte);

  FillWriter writer{state, window, clock, wipe_type, source_path, {}};
  BuildChunk(state, wipe_type, static_cast<std::uint64_t>(remainder), source_path, &writer.chunk);

  state.SetTrap();
  double fill_started = SecondsOfDay(clock.Now());
  if (writer.WriteRemainderPart(remainder)) writer.WriteGigabyteParts(gigabytes);
  writer.FlushEndedFillFile();
  double fill_seconds = ElapsedSeconds(fill_started, SecondsOfDay(clock.Now()));
  FillFreeRecords(state, window, clock, writer.chunk, fill_seconds,
                  [&writer] { writer.WaitWhilePaused(); });
  EndOfRun(state, window);
}

}  // namespace kelvor::engine
