#include "engine/cleanup.h"

#include "engine/number_text.h"
#include "engine/program_state.h"
#include "engine/record_fill.h"
#include "files/file_access.h"
#include "files/folders.h"
#include "platform/os_drives.h"

namespace kelvor::engine {
namespace {

void ShowErrorReport(RunWindow& window, files::ErrorNumber number) {
  window.ShowMessage(ErrorReportText(number), kProgramCaption, kErrorReportStyle);
}

// The trapped deletion: a failure skips the rest and goes to the second
// report. A folder that the run made itself goes all the same when nothing
// is left in it (a run that failed before its first fill file).
void DeleteFillFiles(files::ErrorState& state, RunWindow& window) {
  const std::string& folder = Program().temp_folder_path;
  files::DeleteFiles(state, folder + kFillFilePattern);
  DeleteRecordFiles(state);
  if (state.Check()) {
    files::ErrorState ignored;
    if (Program().temp_folder_made) files::RemoveFolder(ignored, folder);
    return;
  }
  window.PumpStep();
  os::OverwriteJournal(folder);
  files::RemoveFolder(state, folder);
  state.Check();
}

}  // namespace

std::string ErrorReportText(files::ErrorNumber number) {
  return "An Error occured: " + NumberText(number) + " - " + files::ErrorMessage(number) + ".";
}

void CleanUpAfterCancel() {
  files::ErrorState ignored;
  files::CloseAllFiles(ignored);
  const std::string& folder = Program().temp_folder_path;
  if (folder.empty()) return;
  files::DeleteFiles(ignored, folder + kFillFilePattern);
  DeleteRecordFiles(ignored);
  files::RemoveFolder(ignored, folder);
}

// The fill files go before any report is shown: an unattended run must not
// wait for a person with the drive full. The reports and their order stay.
void EndOfRun(files::ErrorState& state, RunWindow& window) {
  files::ErrorNumber writing_error = state.Number();
  files::CloseAllFiles(state);
  state.Clear();
  state.SetTrap();
  window.SetStatus(kDeletingText);
  DeleteFillFiles(state, window);
  // A full disk is how a wipe normally ends: never reported here.
  if (writing_error != files::kNoError && writing_error != files::kDiskFull) {
    ShowErrorReport(window, writing_error);
  }
  if (state.Number() != files::kNoError) ShowErrorReport(window, state.Number());
  window.SetProgressPosition(0);
}

}  // namespace kelvor::engine
