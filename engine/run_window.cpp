#include "engine/run_window.h"

#include "ui/control_ids.h"

namespace kelvor::engine {
namespace {

// Progress-bar messages (WM_USER based).
constexpr unsigned kSetPosition = 0x0402;  // PBM_SETPOS
constexpr unsigned kSetStep = 0x0404;      // PBM_SETSTEP
constexpr unsigned kStepIt = 0x0405;       // PBM_STEPIT
constexpr unsigned kSetRange32 = 0x0406;   // PBM_SETRANGE32
// Combo-box messages.
constexpr unsigned kInsertString = 0x014A;         // CB_INSERTSTRING
constexpr unsigned kSetCurrentSelection = 0x014E;  // CB_SETCURSEL

}  // namespace

void MainWindowView::SetStatus(std::string_view text) {
  os::SetControlText(main_window_, ui::kStatusLine, text);
}

void MainWindowView::SetProgressRange(std::int32_t maximum) {
  os::SendControlMessage(main_window_, ui::kProgressBar, kSetRange32, 0, maximum);
}

void MainWindowView::SetProgressStep(std::int32_t step) {
  os::SendControlMessage(main_window_, ui::kProgressBar, kSetStep,
                         static_cast<std::uintptr_t>(step), 0);
}

void MainWindowView::StepProgress() {
  os::SendControlMessage(main_window_, ui::kProgressBar, kStepIt, 0, 0);
}

void MainWindowView::SetProgressPosition(std::int32_t position) {
  os::SendControlMessage(main_window_, ui::kProgressBar, kSetPosition,
                         static_cast<std::uintptr_t>(position), 0);
}

void MainWindowView::ShowMessage(std::string_view text, std::string_view caption,
                                 std::uint32_t style) {
  os::ShowMessageBox(text, caption, style);
}

void MainWindowView::PumpStep() {
  os::PumpStep(main_window_);
}

void MainWindowView::InsertEntry(int index, std::string_view text) {
  os::SendControlText(main_window_, ui::kDriveSelector, kInsertString,
                      static_cast<std::uintptr_t>(index), text);
}

void MainWindowView::SelectEntry(int index) {
  os::SendControlMessage(main_window_, ui::kDriveSelector, kSetCurrentSelection,
                         static_cast<std::uintptr_t>(index), 0);
}

}  // namespace kelvor::engine
