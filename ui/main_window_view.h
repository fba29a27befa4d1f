// The main window as a wipe run and the drive-selector filling see it.
#pragma once

#include "engine/free_space.h"
#include "engine/run_window.h"
#include "platform/os_window.h"

namespace kelvor::ui {

// The main window's status line, progress bar and drive selector, or nothing
// at all when the handle is kNoWindow (command-line mode). Message boxes and
// pump steps work either way.
class MainWindowView : public engine::RunWindow, public engine::DriveSelector {
 public:
  explicit MainWindowView(os::WindowHandle main_window) : main_window_(main_window) {}
  void SetStatus(std::string_view text) override;
  void SetProgressRange(std::int32_t maximum) override;
  void SetProgressStep(std::int32_t step) override;
  void StepProgress() override;
  void SetProgressPosition(std::int32_t position) override;
  void ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) override;
  void PumpStep() override;
  void InsertEntry(int index, std::string_view text) override;
  void SelectEntry(int index) override;

 private:
  os::WindowHandle main_window_;
};

}  // namespace kelvor::ui
