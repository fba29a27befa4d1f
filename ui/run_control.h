// The main window's event handler: starts wipe runs and repeats them, pauses
// and resumes them, cancels everything and ends the program, opens the help
// and the About box, and keeps the focus across deactivation.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/chunks.h"
#include "engine/run_window.h"
#include "platform/os_window.h"
#include "ui/window_messages.h"

namespace kelvor::ui {

// What the handler does with the main window.
class WindowControls {
 public:
  virtual ~WindowControls() = default;
  virtual std::string SelectedDriveEntry() = 0;
  virtual void Enable(int control_id, bool enabled) = 0;
  virtual void SetText(int control_id, std::string_view text) = 0;
  virtual bool IsChecked(int control_id) = 0;
  virtual void CheckWipeTypeButton(int control_id) = 0;  // within 1014 to 1016
  virtual os::WindowHandle Focus() = 0;
  virtual void SetFocus(os::WindowHandle control) = 0;
  virtual void ShowMessage(std::string_view text, std::string_view caption,
                           std::uint32_t style) = 0;
  virtual void OpenHelp() = 0;
  virtual void PumpStep() = 0;
};

inline constexpr const char* kHelpFile = "Kelvor.chm";
inline constexpr std::uint32_t kAboutStyle = 0x2000;  // MB_TASKMODAL, OK only

class RunControl {
 public:
  using WipeRunner = std::function<void(const std::string& drive_text, engine::WipeType type)>;
  using ProcessEnder = std::function<void(int exit_code)>;

  RunControl(WindowControls& window, WipeRunner run_wipe, ProcessEnder end_process,
             engine::Clock& clock);

  // Every message of the main window (MainWindowEvents).
  void OnMessage(unsigned message, std::uintptr_t wparam, std::intptr_t lparam);

  // The About box text, lines ended by a single CR.
  std::string AboutText() const;

 private:
  void Start();
  void PauseOrResume();
  void Cancel();
  void OnRestartClicked();
  void OnActivation(bool active);

  WindowControls& window_;
  WipeRunner run_wipe_;
  ProcessEnder end_process_;
  engine::Clock& clock_;
  os::WindowHandle saved_focus_ = os::kNoWindow;
  bool running_ = false;
};

}  // namespace kelvor::ui
