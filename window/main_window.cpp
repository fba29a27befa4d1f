#include "window/main_window.h"

#include "engine/wipe_run.h"
#include "platform/os_process.h"
#include "window/main_window_view.h"
#include "window/window_layout.h"
#include "window/window_messages.h"

namespace kelvor::window {
namespace {

constexpr int kProgressMaximum = 100;
constexpr int kProgressAtBuild = 30;

}  // namespace

std::string MainWindowControls::SelectedDriveEntry() {
  return os::SelectedComboText(window_, kDriveSelector);
}

void MainWindowControls::Enable(int control_id, bool enabled) {
  os::EnableControl(window_, control_id, enabled);
}

void MainWindowControls::SetText(int control_id, std::string_view text) {
  os::SetControlText(window_, control_id, text);
}

bool MainWindowControls::IsChecked(int control_id) {
  return os::IsControlChecked(window_, control_id);
}

void MainWindowControls::CheckWipeTypeButton(int control_id) {
  os::CheckRadioButton(window_, kAllOnesButton, kBinaryBlocksButton, control_id);
}

os::WindowHandle MainWindowControls::Focus() {
  return os::FocusedWindow();
}

void MainWindowControls::SetFocus(os::WindowHandle control) {
  os::FocusWindow(control);
}

void MainWindowControls::ShowMessage(std::string_view text, std::string_view caption,
                                     std::uint32_t style) {
  os::ShowMessageBox(text, caption, style);
}

void MainWindowControls::OpenHelp() {
  os::OpenHelpContents(window_, kHelpFile);
}

void MainWindowControls::PumpStep() {
  os::PumpStep(window_);
}

void BuildMainMenu(os::WindowHandle window) {
  os::AttachMenu(window, kHelpPopupCaption, kHelpMenu);
}

void InitProgressBar(os::WindowHandle window, int control_id) {
  os::SendControlMessage(window, control_id, kSetRange32, 0, kProgressMaximum);
  os::SendControlMessage(window, control_id, kSetPosition, kProgressAtBuild, 0);
}

void BuildMainWindow(bool virtual_machine) {
  // The handler needs the window and the window the handler: the handler is
  // made once the window exists, and the window calls it through this slot.
  RunControl* events = nullptr;
  os::WindowHandle window = os::CreateMainWindow(
      kMainWindow, [&events](unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
        if (events) events->OnMessage(message, wparam, lparam);
      });
  for (const ControlSpec& control : kControls) os::CreateControl(window, control);
  BuildMainMenu(window);
  InitProgressBar(window, kProgressBar);

  MainWindowView view(window, [&events] { return events && events->paused(); });
  drives::DriveList drives = drives::BuildDriveList();
  drives::MeasureFreeBytes(drives);
  view.FillDriveSelector(drives);
  MainWindowControls controls(window);
  engine::SystemClock clock;
  RunControl run_control(
      controls, [&view, &clock](engine::Run& run) { engine::RunWipe(run, view, clock); },
      [](int exit_code) { os::EndProcess(exit_code); }, clock, virtual_machine);
  events = &run_control;

  os::SendControlMessage(window, kProgressBar, kSetPosition, 0, 0);
  os::EnableControl(window, kPauseButton, false);
  os::EnableControl(window, kCycleCheckBox, false);
  os::CheckRadioButton(window, kAllOnesButton, kBinaryBlocksButton, kAllOnesButton);
  os::RunMainLoop(window);
}

}  // namespace kelvor::window
