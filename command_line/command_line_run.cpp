#include "command_line/command_line_run.h"

#include "command_line/command_line.h"
#include "command_line/own_options.h"
#include "command_line/run_summary.h"
#include "drives/drive_lines.h"
#include "engine/wipe_run.h"
#include "files/error_numbers.h"
#include "kelvor_version.h"

namespace kelvor::command_line {

std::optional<char> ListedDrive(std::string_view first_argument) {
  char letter = RequestedDriveLetter(first_argument);
  if (!drives::IsListedLetter(drives::DriveListLines(drives::BuildDriveList()), letter)) {
    return std::nullopt;
  }
  return letter;
}

int ExitCodeOf(const engine::RunOutcome& outcome) {
  return outcome.reports.empty() ? kExitClean : kExitReported;
}

int RunCommandLine(const std::string& command_tail, engine::RunWindow& window,
                   engine::Clock& clock) {
  std::string wipe_tail;
  OwnOptions own = TakeOwnOptions(command_tail, &wipe_tail);
  if (!own.refused.empty()) return kExitBadOption;
  std::optional<char> letter = ListedDrive(Argument(command_tail, 1));
  if (!letter) return kExitDriveNotListed;
  engine::Run run(*letter, WipeTypeFromOptions(wipe_tail), own.verify);
  run.trim = own.trim;
  std::optional<record::RunRecord> record;
  if (!own.record_path.empty()) {
    record.emplace(window, RecordSubjectOf(run), os::ToNativeName(own.record_path));
  }
  engine::RunOutcome outcome = engine::RunWipe(run, record ? *record : window, clock);
  // Seen where the caller gives the program an error output (a console, a
  // redirection); a program without one loses it.
  std::fprintf(stderr, "%s\n", SummaryLine(run.drive_root, outcome).c_str());
  return record ? WriteRecord(*record, outcome, stderr) : ExitCodeOf(outcome);
}

record::RecordSubject RecordSubjectOf(const engine::Run& run) {
  return {KELVOR_VERSION_TEXT, run.drive_root, run.wipe_type, run.verify_mode};
}

int WriteRecord(const record::RunRecord& record, const engine::RunOutcome& outcome,
                std::FILE* errors) {
  int exit_code = ExitCodeOf(outcome);
  if (os::WinError error = record.Write(exit_code, &outcome)) {
    std::fprintf(errors, "Kelvor: the record could not be written: %s.\n",
                 files::ErrorMessage(files::MapOsError(error)).c_str());
    return kExitReported;
  }
  return exit_code;
}

}  // namespace kelvor::command_line
