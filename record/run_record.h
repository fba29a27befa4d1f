// The erasure record of one command-line run: a JSON file that says what
// was wiped, how, what reading back found and how the run ended, in the
// terms of a "Clear" of a volume's free space (NIST SP 800-88). It observes
// the run as the view does, passing every event on to the view.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/run.h"
#include "engine/run_window.h"
#include "platform/os_files.h"

namespace kelvor::record {

// What the record is of, known before the run starts.
struct RecordSubject {
  std::string tool_version;
  std::string drive_root;  // "D:"
  engine::WipeType wipe_type = engine::kAllOnes;
  engine::VerifyMode verify_mode = engine::VerifyMode::kSample;
  std::vector<std::string> findings;  // what the storage check found at the start
};

// How a run ended, in the record's words: "verified", "written-unverified",
// "failed", or "cancelled" for a run an interrupt stopped (no outcome).
const char* ResultName(const engine::RunOutcome* outcome);

class RunRecord : public engine::RunWindow {
 public:
  RunRecord(engine::RunWindow& view, RecordSubject subject, os::NativeName path);

  void OnStage(engine::Stage stage) override;
  void OnStarted(const engine::RunStart& start) override;
  void OnChunkWritten(const engine::ChunkWritten& chunk) override;
  void OnSliceWritten(std::uint64_t bytes) override { view_.OnSliceWritten(bytes); }
  void OnPartWritten(std::int32_t part) override { view_.OnPartWritten(part); }
  void OnPaused() override { view_.OnPaused(); }
  void OnError(files::Status report) override;
  void OnFinished(const engine::RunOutcome& outcome) override { view_.OnFinished(outcome); }
  void PumpStep() override { view_.PumpStep(); }
  bool PauseRequested() override { return view_.PauseRequested(); }

  // The record's text for a run that ended with `outcome`, or that an
  // interrupt stopped (no outcome), with the exit code it ends with.
  std::string Text(int exit_code, const engine::RunOutcome* outcome) const;
  // Writes it to the record's file, in one step.
  os::WinError Write(int exit_code, const engine::RunOutcome* outcome) const;

 private:
  engine::RunWindow& view_;
  RecordSubject subject_;
  os::NativeName path_;
  std::chrono::system_clock::time_point started_ = std::chrono::system_clock::now();
  std::uint64_t free_before_ = 0;
  std::uint64_t bytes_in_chunks_ = 0;  // what the run's whole chunks wrote
  bool records_filled_ = false;
  std::vector<files::Status> reports_;
};

}  // namespace kelvor::record
