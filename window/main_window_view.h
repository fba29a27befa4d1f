// The main window as a wipe run sees it: the run's events become the status
// line's texts, the progress bar's steps and the error reports, at the
// moments the run gives them. With the handle kNoWindow (the quiet command
// line) only the reports appear; pump steps work either way.
#pragma once

#include <functional>

#include "drives/drive_list.h"
#include "engine/run_window.h"
#include "platform/os_window.h"

namespace kelvor::window {

class MainWindowView : public engine::RunWindow {
 public:
  // `pause_requested` tells whether the Pause button is down.
  explicit MainWindowView(os::WindowHandle main_window, std::function<bool()> pause_requested = {})
      : main_window_(main_window), pause_requested_(std::move(pause_requested)) {}

  void OnStage(engine::Stage stage) override;
  void OnStarted(const engine::RunStart& start) override { parts_ = start.parts; }
  void OnChunkWritten(const engine::ChunkWritten& chunk) override;
  void OnSliceWritten(std::uint64_t) override {}  // the window shows whole chunks
  void OnPartWritten(std::int32_t part) override;
  void OnPaused() override;
  void OnError(files::Status report) override;
  void OnFinished(const engine::RunOutcome& outcome) override;
  void PumpStep() override;
  bool PauseRequested() override { return pause_requested_ && pause_requested_(); }

  // One entry per drive with its free space, then the first one selected.
  void FillDriveSelector(const drives::DriveList& drives);

 private:
  void SetStatus(std::string_view text);

  os::WindowHandle main_window_;
  std::function<bool()> pause_requested_;
  std::int32_t parts_ = 0;  // of the run under way
};

}  // namespace kelvor::window
