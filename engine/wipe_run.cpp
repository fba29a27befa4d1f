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
constexpr std::int32_t kPaused = 1;
constexpr std::size_t kRepeatedSlice = 4 << 20;  // bytes; fits the processor's cache

// One run's writing. Every step returns false when the error trap fired, and
// the caller returns at once: the end-of-run sequence follows.
struct FillWriter {
  ErrorState& state;
  RunWindow& window;
  Clock& clock;
  WipeType wipe_type;
  std::string source_path;
  std::string chunk;
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

  // The data goes to the device before the file is closed: a fill file that
  // is deleted while still in the cache may never have overwritten anything.
  bool CloseFillFile() {
    files::FlushFile(state, kFillFileNumber);
    if (state.Check()) return false;
    files::CloseFile(state, kFillFileNumber);
    fill_file_open = false;
    return !state.Check();
  }

  // The file that a failure (normally the full disk) ended is flushed too,
  // so that what it holds reaches the device before it is deleted. A failed
  // flush is what the run then reports.
  void FlushEndedFillFile() {
    if (!fill_file_open) return;
    ErrorState flush;
    files::FlushFile(flush, kFillFileNumber);
    if (flush.Number() != files::kNoError) state.Record(flush.Number());
  }

  // A chunk of one byte repeated is written as its first slice over and over:
  // the same bytes reach the file, but the copying reads from the processor's
  // cache instead of from a hundred megabytes of memory.
  bool WriteChunk() {
    std::string_view data = chunk;
    if (wipe_type == kBinaryBlocks || data.size() <= kRepeatedSlice) {
      files::WriteBytes(state, kFillFileNumber, data);
      return !state.Check();
    }
    for (std::size_t left = data.size(); left > 0; left -= std::min(left, kRepeatedSlice)) {
      files::WriteBytes(state, kFillFileNumber, data.substr(0, std::min(left, kRepeatedSlice)));
      if (state.Check()) return false;
    }
    return true;
  }

  // Pump, write the chunk between two whole-second time stamps, pump. A write
  // that took a measurable time gives a new rate.
  bool WriteTimedChunk(double chunk_bytes) {
    window.PumpStep();
    double t0 = WholeSeconds();
    if (!WriteChunk()) return false;
    files::StartWriteBack(kFillFileNumber);  // the device writes while the next chunk waits
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
    if (!CloseFillFile()) return false;
    chunk.clear();
    return true;
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
  // sequence reports them unless a later failure replaces them.
  std::string drive_root = drive_text.substr(0, 1) + ":";
  Program().temp_folder_path = drive_root + "\\" + kTempFolderName + "\\";
  // The drive is resolved once: what is mounted or removed during the run
  // cannot move it to another volume.
  state.RecordOsError(os::HoldDrive(drive_root));
  state.Check();
  files::MakeFolder(state, Program().temp_folder_path);
  state.Check();
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
  if (writer.WriteRemainderPart(remainder)) writer.WriteGigabyteParts(gigabytes);
  writer.FlushEndedFillFile();
  FillFreeRecords(state, window, clock, writer.chunk, [&writer] { writer.WaitWhilePaused(); });
  EndOfRun(state, window);
}

}  // namespace kelvor::engine
