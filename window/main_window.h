// Building the main window from its layout, and the window's controls as the
// event handler uses them.
#pragma once

#include "platform/os_window.h"
#include "window/run_control.h"

namespace kelvor::window {

// The live window's controls, through the OS seam.
class MainWindowControls : public WindowControls {
 public:
  explicit MainWindowControls(os::WindowHandle window) : window_(window) {}
  std::string SelectedDriveEntry() override;
  void Enable(int control_id, bool enabled) override;
  void SetText(int control_id, std::string_view text) override;
  bool IsChecked(int control_id) override;
  void CheckWipeTypeButton(int control_id) override;
  os::WindowHandle Focus() override;
  void SetFocus(os::WindowHandle control) override;
  void ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) override;
  void OpenHelp() override;
  void PumpStep() override;

 private:
  os::WindowHandle window_;
};

void BuildMainMenu(os::WindowHandle window);

// Range 0 to 100, position 30.
void InitProgressBar(os::WindowHandle window, int control_id);

// Builds the window, fills the drive selector, shows the window and serves it
// until it no longer exists. `virtual_machine`: start-up's guess.
void BuildMainWindow(bool virtual_machine);

}  // namespace kelvor::window
