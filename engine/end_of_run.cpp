#include "engine/end_of_run.h"

#include "engine/record_fill.h"

namespace kelvor::engine {
namespace {

using files::Status;

// The trapped deletion: a failure skips the rest and is the second report.
// A folder that the run made itself goes all the same when nothing is left
// in it (a run that failed before its first fill file).
Status DeleteFillFiles(Run& run, RunWindow& window) {
  Status deleted = run.files.DeleteFiles(run.temp_folder_path + kFillFilePattern);
  Status records = DeleteRecordFiles(run);
  if (deleted.ok()) deleted = records;
  if (deleted.failed()) {
    if (run.temp_folder_made) (void)run.files.RemoveFolder(run.temp_folder_path);
    return deleted;
  }
  window.PumpStep();
  os::OverwriteJournal(run.drive, run.temp_folder_path);
  return run.files.RemoveFolder(run.temp_folder_path);
}

}  // namespace

void CleanUpAfterCancel(Run& run) {
  if (run.reading_back != os::kNoFile) (void)os::CloseFileHandle(run.reading_back);
  run.reading_back = os::kNoFile;
  (void)run.files.CloseAllFiles();
  (void)run.files.DeleteFiles(run.temp_folder_path + kFillFilePattern);
  (void)DeleteRecordFiles(run);
  (void)run.files.RemoveFolder(run.temp_folder_path);
}

// The fill files go before any report is shown: an unattended run must not
// wait for a person with the drive full. The reports and their order stay.
std::vector<Status> EndOfRun(Run& run, RunWindow& window) {
  Status writing_error = run.error;
  (void)run.files.CloseAllFiles();
  window.OnStage(Stage::kDeleting);
  Status deletion_error = DeleteFillFiles(run, window);
  std::vector<Status> reports;
  // A full disk is how a wipe normally ends: never reported here.
  if (writing_error.failed() && writing_error.number != files::kDiskFull) {
    reports.push_back(writing_error);
  }
  if (deletion_error.failed()) reports.push_back(deletion_error);
  for (Status report : reports) window.OnError(report);
  return reports;
}

}  // namespace kelvor::engine
