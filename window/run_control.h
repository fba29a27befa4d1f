// The main window's event handler: starts wipe runs and repeats them, pauses
// and resumes them, cancels everything and ends the program, opens the help
// and the About box, and keeps the focus across deactivation.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/clock.h"
#include "engine/run.h"
#include "platform/os_window.h"
#include "window/window_messages.h"

namespace kelvor::window {

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
  using WipeRunner = std::function<void(engine::Run& run)>;
  using ProcessEnder = std::function<void(int exit_code)>;

  // `virtual_machine`: start-up's guess, which the About box mentions.
  RunControl(WindowControls& window, WipeRunner run_wipe, ProcessEnder end_process,
             engine::Clock& clock, bool virtual_machine);

  // Every message of the main window (MainWindowEvents).
  void OnMessage(unsigned message, std::uintptr_t wparam, std::intptr_t lparam);

  // The About box text, lines ended by a single CR.
  std::string AboutText() const;

  // Whether Pause is down; it stays so from one run to the next.
  bool paused() const { return paused_; }

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
  bool virtual_machine_;
  os::WindowHandle saved_focus_ = os::kNoWindow;
  bool running_ = false;
  bool paused_ = false;
  std::optional<engine::Run> run_;  // the current or last run
};

}  // namespace kelvor::window
