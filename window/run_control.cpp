#include "window/run_control.h"

#include "engine/end_of_run.h"
#include "text/run_texts.h"
#include "window/control_ids.h"
#include "window/window_layout.h"

namespace kelvor::window {
namespace {

constexpr const char* kCancellingText = "Canceling and cleaning up ...";
constexpr int kFirstNoticeYear = 2026;
constexpr const char* kOwnerLine = "Made by the Kelvor developers.";
constexpr const char* kVirtualMachineLine = "Appears to be running inside a Virtual Machine.";
constexpr char kLineBreak = '\r';

bool IsClick(std::uintptr_t wparam) {
  unsigned notification = (wparam >> 16) & 0xFFFF;
  return notification == kClicked || notification == kAcceleratorClicked;
}

engine::WipeType CheckedWipeType(WindowControls& window) {
  engine::WipeType type = engine::kAllOnes;
  if (window.IsChecked(kAllZerosButton)) type = engine::kAllZeros;
  if (window.IsChecked(kBinaryBlocksButton)) type = engine::kBinaryBlocks;
  return type;
}

}  // namespace

RunControl::RunControl(WindowControls& window, WipeRunner run_wipe, ProcessEnder end_process,
                       engine::Clock& clock, bool virtual_machine)
    : window_(window),
      run_wipe_(std::move(run_wipe)),
      end_process_(std::move(end_process)),
      clock_(clock),
      virtual_machine_(virtual_machine) {}

void RunControl::OnMessage(unsigned message, std::uintptr_t wparam, std::intptr_t) {
  if (message == kNcActivate) {
    OnActivation(wparam != 0);
  } else if (message == kClose) {
    // Whatever sends it (the system menu, Alt+F4, another program), a close
    // during a run is Cancel: no run may go on, or wait paused for ever,
    // without its window. Idle, the window just closes.
    if (running_) Cancel();
  } else if (message == kCommand) {
    int id = static_cast<int>(wparam & 0xFFFF);
    switch (id) {
      case kHelpMenuItem:
        window_.OpenHelp();
        break;
      case kAboutMenuItem:
        window_.ShowMessage(AboutText(), text::kProgramCaption, kAboutStyle);
        break;
      case kRestartCheckBox:
        OnRestartClicked();
        break;
      case kStartButton:
        if (IsClick(wparam)) Start();
        break;
      case kPauseButton:
        if (IsClick(wparam)) PauseOrResume();
        break;
      case kCancelButton:
        if (IsClick(wparam)) Cancel();
        break;
      default:
        break;  // option buttons, the cycle box, the selector, Esc: nothing
    }
  }
}

void RunControl::Start() {
  std::string entry = window_.SelectedDriveEntry();
  if (entry.empty()) return;  // no drive selected: nothing to start
  char letter = entry[0];
  window_.Enable(kStartButton, false);
  window_.Enable(kPauseButton, true);
  running_ = true;
  engine::WipeType type = CheckedWipeType(window_);
  for (;;) {
    run_.emplace(letter, type);
    run_wipe_(*run_);
    if (!window_.IsChecked(kRestartCheckBox)) break;
    if (window_.IsChecked(kCycleCheckBox))
      type = type >= engine::kBinaryBlocks ? engine::kAllOnes : type + 1;
    window_.CheckWipeTypeButton(kAllOnesButton + type);
    type = CheckedWipeType(window_);
  }
  running_ = false;
  window_.Enable(kPauseButton, false);
  window_.Enable(kStartButton, true);
  window_.SetText(kStatusLine, kIdleStatus);
  window_.PumpStep();
}

void RunControl::PauseOrResume() {
  paused_ = !paused_;
  window_.SetText(kPauseButton, paused_ ? "Resume" : "Pause");
}

void RunControl::Cancel() {
  window_.SetText(kStatusLine, kCancellingText);
  if (run_) engine::CleanUpAfterCancel(*run_);  // before the first run there is nothing
  end_process_(0);
}

void RunControl::OnRestartClicked() {
  window_.Enable(kCycleCheckBox, window_.IsChecked(kRestartCheckBox));
}

void RunControl::OnActivation(bool active) {
  if (!active) {
    saved_focus_ = window_.Focus();
  } else if (saved_focus_ != os::kNoWindow) {
    window_.SetFocus(saved_focus_);
    saved_focus_ = os::kNoWindow;
  }
}

std::string RunControl::AboutText() const {
  int year = clock_.Now().year;
  std::string years = std::to_string(kFirstNoticeYear);
  if (year > kFirstNoticeYear) years += "-" + std::to_string(year);
  std::string text = std::string(text::kProgramCaption) + kLineBreak + kLineBreak +
                     "Copyright (C) " + years + " the Kelvor developers" + kLineBreak + kLineBreak +
                     kOwnerLine;
  if (virtual_machine_) text += kLineBreak + std::string(kVirtualMachineLine);
  return text;
}

}  // namespace kelvor::window
