#include "command_line/command_line_run.h"

#include "command_line/command_line.h"
#include "command_line/own_options.h"
#include "drives/drive_lines.h"
#include "engine/wipe_run.h"

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
  return ExitCodeOf(engine::RunWipe(run, window, clock));
}

}  // namespace kelvor::command_line
