#include "ui/main_window_view.h"

#include "ui/control_ids.h"
#include "ui/window_messages.h"

namespace kelvor::ui {

void MainWindowView::SetStatus(std::string_view text) {
  os::SetControlText(main_window_, kStatusLine, text);
}

void MainWindowView::SetProgressRange(std::int32_t maximum) {
  os::SendControlMessage(main_window_, kProgressBar, kSetRange32, 0, maximum);
}

void MainWindowView::SetProgressStep(std::int32_t step) {
  os::SendControlMessage(main_window_, kProgressBar, kSetStep, static_cast<std::uintptr_t>(step),
                         0);
}

void MainWindowView::StepProgress() {
  os::SendControlMessage(main_window_, kProgressBar, kStepIt, 0, 0);
}

void MainWindowView::SetProgressPosition(std::int32_t position) {
  os::SendControlMessage(main_window_, kProgressBar, kSetPosition,
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
  os::SendControlText(main_window_, kDriveSelector, kInsertString,
                      static_cast<std::uintptr_t>(index), text);
}

void MainWindowView::SelectEntry(int index) {
  os::SendControlMessage(main_window_, kDriveSelector, kSetCurrentSelection,
                         static_cast<std::uintptr_t>(index), 0);
}

}  // namespace kelvor::ui
