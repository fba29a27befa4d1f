// What a wipe run tells the world besides its files, and what it asks of it:
// typed events at the moments they happen, pump steps that let the window
// handle its messages, and whether a pause was asked for. The window, the
// quiet command line and the terminal view each turn the events into what
// their user sees.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/run.h"
#include "files/status.h"
#include "platform/os_files.h"

namespace kelvor::engine {

enum class Stage {
  kStarting,       // before anything is touched
  kGigabyteParts,  // after the remainder part, before the first gigabyte part
  kRecords,        // the free file records are being filled
  kVerifying,      // the fill files are read back, before anything is deleted
  kDeleting,       // the end-of-run sequence deletes what the run wrote
};

struct RunStart {
  std::uint64_t free_bytes = 0;  // what the fill files are sized by
  std::int32_t parts = 0;        // whole gigabytes, written after the remainder part
};

// A chunk written whole: part 0 is the remainder part, 1 to parts the
// gigabyte parts. The rate is the run's measure, in bytes per second over
// whole-second time stamps, kept from the chunk before when this one took
// no measurable time.
struct ChunkWritten {
  std::int32_t part = 0;
  std::int32_t parts = 0;
  std::uint64_t bytes = 0;
  float rate = 0;
};

// A stretch of a fill file that did not read back as written.
struct Mismatch {
  std::string file;  // its name within the temporary folder
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

// What reading the fill files back found.
struct ReadBack {
  VerifyMode mode = VerifyMode::kSample;
  bool done = false;  // false: the writing failed, or the mode is off
  os::ReadBackPath path = os::ReadBackPath::kDirect;  // the weakest of the files' paths
  std::uint64_t bytes_verified = 0;
  std::uint64_t bytes_stored = 0;  // what the volume gave the fill files
  bool stored_short = false;       // far less than was written: compressed or deduplicated
  std::uint64_t mismatched_bytes = 0;
  std::vector<Mismatch> mismatches;  // the first kMostMismatchesKept, adjacent ones joined
  std::int32_t files_not_verifiable = 0;
  double seconds = 0;  // the reading back took, from its start to its end
};
inline constexpr std::size_t kMostMismatchesKept = 32;

// What telling the device of the freed blocks gave, after the deletion.
struct Trim {
  bool asked = false;                   // not with --no-trim, nor while fill files are left
  os::WinError refusal = os::kSuccess;  // kAccessDenied: no rights; kNotSupported
  std::uint64_t bytes = 0;              // that the filesystem told the device of
};

struct RunOutcome {
  std::uint64_t bytes_written = 0;     // to the fill files
  std::int32_t parts = 0;              // gigabyte parts planned
  std::vector<files::Status> reports;  // the error reports shown, in order
  ReadBack read_back;
  std::uint64_t free_bytes_after = 0;   // once the run has cleaned up
  std::vector<std::string> files_left;  // fill files the cleanup could not delete
  Trim trim;
};

class RunWindow {
 public:
  virtual ~RunWindow() = default;
  virtual void OnStage(Stage stage) = 0;
  virtual void OnStarted(const RunStart& start) = 0;
  virtual void OnChunkWritten(const ChunkWritten& chunk) = 0;
  // Bytes of the chunk under way that reached its file: a chunk is written in
  // slices, with pump steps between them. For views that show progress
  // between chunks.
  virtual void OnSliceWritten(std::uint64_t bytes) = 0;
  virtual void OnPartWritten(std::int32_t part) = 0;
  virtual void OnPaused() = 0;                     // once per pause poll
  virtual void OnError(files::Status report) = 0;  // an error report, to be shown
  virtual void OnFinished(const RunOutcome& outcome) = 0;
  // Lets the window handle what is pending; its handlers run inside.
  virtual void PumpStep() = 0;
  virtual bool PauseRequested() = 0;
};

}  // namespace kelvor::engine
