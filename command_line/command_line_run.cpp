#include "command_line/command_line_run.h"

#include "command_line/command_line.h"
#include "command_line/own_options.h"
#include "command_line/run_summary.h"
#include "drives/drive_lines.h"
#include "engine/wipe_run.h"
#include "files/error_numbers.h"
#include "kelvor_version.h"
#include "storage/storage_check.h"
#include "text/printable_text.h"

namespace kelvor::command_line {
namespace {

constexpr const char* kUsage =
    "Usage: Kelvor.exe                    the window\n"
    "       Kelvor.exe DRIVE [OPTION...]  wipe the free space of DRIVE, without a window\n"
    "       Kelvor.exe DRIVE --check      tell what a wipe of DRIVE reaches, and write nothing\n"
    "DRIVE is a drive the window lists: D, D: or D:\\.\n"
    "  (none)  All 1's: bytes 0xFF      /B  All 0's: bytes 0x00 (a capital B)\n"
    "  /0      Blocks of Binary Data: the wallpaper file, or pseudo-random bytes\n"
    "  --verify=sample|full|off  what is read back before the deletion (sample)\n"
    "  --record=FILE             write the run's erasure record (JSON) to FILE\n"
    "  --no-trim                 do not ask the volume to trim the fill files\n"
    "Exit codes: 0 wiped; 1 the run reported an error; 2 the drive is not listed or\n"
    "an option has a bad value: nothing was touched.\n";

// A caller who named no listed drive (or asked with /?) is shown the usage.
int Refuse(int exit_code) {
  std::fputs(kUsage, stderr);
  return exit_code;
}

}  // namespace

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
  if (!own.refused.empty()) return Refuse(kExitBadOption);
  std::optional<char> letter = ListedDrive(Argument(command_tail, 1));
  if (!letter) return Refuse(kExitDriveNotListed);
  if (own.check) return PrintStorageCheck(*letter, WipeTypeFromOptions(wipe_tail), stdout);
  engine::Run run(*letter, WipeTypeFromOptions(wipe_tail), own.verify);
  run.trim = own.trim;
  std::vector<std::string> findings = WarnOfFindings(run, stderr);
  std::optional<record::RunRecord> record;
  if (!own.record_path.empty()) {
    record.emplace(window, RecordSubjectOf(run, std::move(findings)),
                   os::ToNativeName(own.record_path));
  }
  engine::RunOutcome outcome = engine::RunWipe(run, record ? *record : window, clock);
  // Seen where the caller gives the program an error output (a console, a
  // redirection); a program without one loses it.
  std::fprintf(stderr, "%s\n", SummaryLine(run.drive_root, outcome).c_str());
  return record ? WriteRecord(*record, outcome, stderr) : ExitCodeOf(outcome);
}

int PrintStorageCheck(char letter, engine::WipeType type, std::FILE* out) {
  std::string drive_root{letter, ':'};
  for (const std::string& line :
       storage::CheckLines(drive_root, storage::QueryVolumeStorage(drive_root), type)) {
    std::fprintf(out, "%s\n", text::PrintableText(line).c_str());
  }
  return kExitClean;
}

std::vector<std::string> WarnOfFindings(const engine::Run& run, std::FILE* errors) {
  std::vector<std::string> findings =
      storage::Findings(storage::QueryVolumeStorage(run.drive_root), run.wipe_type, run.trim);
  for (const std::string& finding : findings) {
    std::fprintf(errors, "warning: %s\n", text::PrintableText(finding).c_str());
  }
  return findings;
}

record::RecordSubject RecordSubjectOf(const engine::Run& run, std::vector<std::string> findings) {
  return {KELVOR_VERSION_TEXT, run.drive_root, run.wipe_type, run.verify_mode, std::move(findings)};
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
