// The program on Linux: the command line of the Windows program, plus mount
// points for drives, a listing, a terminal view of the run, and interrupts
// that clean up as Cancel does.
#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/start_up.h"
#include "command_line/command_line_run.h"
#include "command_line/posix_arguments.h"
#include "command_line/run_summary.h"
#include "command_line/terminal_view.h"
#include "drives/drive_list.h"
#include "engine/end_of_run.h"
#include "engine/wipe_run.h"
#include "kelvor_version.h"
#include "platform/os_process.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/mounts.h"
#include "platform/posix/unwritable.h"
#include "text/free_space.h"
#include "text/printable_text.h"

namespace {

namespace cli = kelvor::command_line;
using cli::kExitDriveNotListed;
using kelvor::text::PrintableText;

constexpr int kSignalExitBase = 128;  // exit code 128 + signal, as shells report it
constexpr unsigned kDescriptorsForARun = 128;

constexpr const char* kUsage =
    "Usage: kelvor [OPTION...] DRIVE  wipe the free space of DRIVE\n"
    "       kelvor [--help]          list the drives and show this text\n"
    "       kelvor --version         show the version\n"
    "       kelvor --check DRIVE     tell what a wipe of DRIVE reaches, and write nothing\n"
    "\n"
    "DRIVE is a drive letter (D, D: or D:\\) or the mount point of a listed drive.\n"
    "Options may stand before or after it; -- ends them. Options that choose the\n"
    "bytes written (the Windows program's, or names):\n"
    "  (none), --ones   All 1's: bytes 0xFF\n"
    "  /B, --zeros      All 0's: bytes 0x00 (a capital B; /b is no option)\n"
    "  /0, --blocks     Blocks of Binary Data: the wallpaper file, or pseudo-random\n"
    "                   bytes\n"
    "With both /0 and /B, /B decides: All 0's.\n"
    "  --verify=sample  before the fill files are deleted, read back their first and\n"
    "                   last MiB and at least 1% more, placed at random (the default)\n"
    "  --verify=full    read back every byte; --verify=off reads nothing back\n"
    "  --record=FILE    write the run's erasure record (JSON) to FILE, also when the\n"
    "                   run fails or is stopped\n"
    "  --no-trim        after the deletion, do not tell the device which blocks are\n"
    "                   free (by default root's runs do: FITRIM, as fstrim does)\n"
    "  --check          write nothing: print the volume's filesystem, space, medium,\n"
    "                   compression, snapshots and journal, and one line a finding\n"
    "                   on what a wipe will not reach (a run warns of the same)\n"
    "  -q, --quiet      no status lines: errors, warnings and one closing line\n"
    "  --yes            wipe C: without asking, where C: is the root filesystem\n"
    "                   because KELVOR_DRIVES is not set\n"
    "  -V, --version    show the version; -h, --help: this text\n"
    "A byte that does not read back as written fails the run: 72 - Disk media error.\n"
    "\n"
    "Drive letters: KELVOR_DRIVES='D=/mnt/usb;E=/srv/data' chooses them; without it\n"
    "/ is C: and the other filesystems follow in mount-point order, so letters move\n"
    "when mounts change: a run on C: then asks first (on a terminal), or needs --yes.\n"
    "\n"
    "Exit codes: 0 wiped; 1 the run reported an error; 2 the drive is not listed,\n"
    "the first word names no drive, an option is unknown or has a bad value, or a\n"
    "wipe of C: was not confirmed: nothing was touched; 130, 143, 129, 152 stopped\n"
    "by SIGINT, SIGTERM, SIGHUP, SIGXCPU, with the fill files removed; 255 a fatal\n"
    "internal error.\n";

// Prints each drive as the drive selector shows it, with its mount point.
void PrintDriveListing() {
  kelvor::drives::DriveList drives = kelvor::drives::BuildDriveList();
  kelvor::drives::MeasureFreeBytes(drives);
  for (const kelvor::drives::Drive& drive : drives) {
    std::optional<std::string> mount = kelvor::os::MountPointOfDrive(drive.letter);
    std::printf("%s    %s\n", kelvor::text::DriveEntryText(drive).c_str(),
                PrintableText(mount.value_or("")).c_str());
  }
}

// A drive is named by its letter ("D", "D:" or "D:\\") or its mount point;
// any other word names none, whatever letter it begins with.
bool NamesADrive(const std::string& word) {
  if (!word.empty() && word[0] == '/') return true;
  bool letter = !word.empty() && std::isalpha(static_cast<unsigned char>(word[0]));
  std::string after = letter ? word.substr(1) : std::string();
  return letter && (after.empty() || after == ":" || after == ":\\");
}

// Says why KELVOR_DRIVES maps no drive, when it does not.
void ReportDriveMapProblem() {
  if (std::optional<std::string> problem = kelvor::os::DriveMapProblem()) {
    std::fprintf(stderr, "kelvor: %s\n", PrintableText(*problem).c_str());
  }
}

// Without KELVOR_DRIVES the letters follow the mounts, and C: is the root
// filesystem: a run there is confirmed first, at the terminal or by --yes.
bool ConfirmedWhereLettersMove(char letter, const cli::Request& request) {
  if (letter != 'C' || std::getenv(kelvor::os::kDriveMapVariable) || request.confirmed) {
    return true;
  }
  if (isatty(STDIN_FILENO) != 1) {
    std::fprintf(stderr,
                 "kelvor: C: is the root filesystem (/), as no KELVOR_DRIVES names the drives: "
                 "give --yes to wipe its free space unattended; nothing was touched\n");
    return false;
  }
  std::fprintf(stderr, "kelvor: C: is the root filesystem (/). Wipe its free space? [y/N] ");
  char answer[16] = {};
  bool yes = std::fgets(answer, sizeof answer, stdin) &&
             (std::string_view(answer) == "y\n" || std::string_view(answer) == "yes\n");
  if (!yes) std::fprintf(stderr, "kelvor: not confirmed; nothing was touched\n");
  return yes;
}

// The reports' numbers say little of a volume that took nothing; one line
// says where, and why.
void ReportWhyNothingWasWritten(const kelvor::engine::Run& run) {
  std::string root = kelvor::os::MountPointOfDrive(run.drive_root[0]).value_or("");
  std::string why = root.empty() ? ""
                                 : kelvor::os::WhyNothingCanBeWritten(
                                       root, root + "/" + kelvor::engine::kTempFolderName);
  if (why.empty()) return;
  std::fprintf(stderr, "kelvor: nothing could be written on %s (%s): %s\n", run.drive_root.c_str(),
               PrintableText(root).c_str(), PrintableText(why).c_str());
}

int Wipe(cli::Request request) {
  ReportDriveMapProblem();
  std::string named = PrintableText(request.drive);  // for messages
  if (!NamesADrive(request.drive)) {
    std::fprintf(stderr,
                 "kelvor: %s names no drive (a letter such as D, D: or D:\\, or a mount point)\n",
                 named.c_str());
    return kExitDriveNotListed;
  }
  if (request.drive[0] == '/') {
    std::optional<char> letter = kelvor::os::LetterOfMountPoint(request.drive);
    if (!letter) {
      std::fprintf(stderr, "kelvor: %s is not the mount point of a listed drive\n", named.c_str());
      return kExitDriveNotListed;
    }
    request.drive = std::string{*letter, ':'};
  }
  // A run holds its drive, its folders (up to some 80 of record files) and
  // its files open; one that ran out of descriptors could not clean up.
  if (!kelvor::os::MakeRoomForDescriptors(kDescriptorsForARun)) {
    std::fprintf(stderr,
                 "kelvor: a run needs %u open files at once, more than this process may have "
                 "(ulimit -n); nothing was touched\n",
                 kDescriptorsForARun);
    return cli::kExitReported;
  }
  kelvor::app::PrepareProgram();
  kelvor::os::CatchInterrupts();
  std::optional<char> letter = cli::ListedDrive(request.drive);
  if (!letter) {
    std::fprintf(stderr, "kelvor: %s is not a listed drive (kelvor --help lists them)\n",
                 named.c_str());
    return kExitDriveNotListed;
  }
  if (request.own.check) return cli::PrintStorageCheck(*letter, request.wipe_type, stdout);
  if (!ConfirmedWhereLettersMove(*letter, request)) return cli::kExitNotConfirmed;
  kelvor::engine::Run run(*letter, request.wipe_type, request.own.verify);
  run.trim = request.own.trim;
  std::vector<std::string> findings = cli::WarnOfFindings(run, stderr);
  std::optional<kelvor::record::RunRecord> record;  // for --record=FILE
  cli::TerminalView view(stderr, kelvor::os::ErrorStreamIsTerminal(), [&](int signal_number) {
    kelvor::engine::CleanUpAfterCancel(run);
    int exit_code = kSignalExitBase + signal_number;
    if (record) (void)record->Write(exit_code, nullptr);
    kelvor::os::EndProcess(exit_code);
  });
  if (request.quiet) view.ShowNoStatus();
  if (!request.own.record_path.empty()) {
    record.emplace(view, cli::RecordSubjectOf(run, std::move(findings)), request.own.record_path);
  }
  kelvor::engine::RunWindow& window =
      record ? *record : static_cast<kelvor::engine::RunWindow&>(view);
  kelvor::engine::SystemClock clock;
  kelvor::engine::RunOutcome outcome = kelvor::engine::RunWipe(run, window, clock);
  if (request.quiet) {
    std::fprintf(stderr, "%s\n", cli::SummaryLine(run.drive_root, outcome).c_str());
  } else {
    view.PrintSummary(outcome);
  }
  if (outcome.bytes_written == 0 && !outcome.reports.empty()) ReportWhyNothingWasWritten(run);
  return record ? cli::WriteRecord(*record, outcome, stderr) : cli::ExitCodeOf(outcome);
}

}  // namespace

int main(int argc, char** argv) {
  // A closed output (kelvor D: | head -n1) must never stop a run or its
  // cleanup: writes to it fail quietly instead.
  signal(SIGPIPE, SIG_IGN);
  cli::Request request = cli::ReadArguments({argv + 1, argv + argc});
  switch (request.action) {
    case cli::Action::kListDrives:
      ReportDriveMapProblem();
      PrintDriveListing();
      std::printf("\n%s", kUsage);
      return 0;
    case cli::Action::kShowVersion:
      std::printf("kelvor %s\n", KELVOR_VERSION_TEXT);
      return 0;
    case cli::Action::kWipe:
      break;
  }
  if (!request.error.empty()) {
    std::fprintf(stderr, "kelvor: %s (kelvor --help lists the options); nothing was touched\n",
                 PrintableText(request.error).c_str());
    return cli::kExitBadOption;
  }
  return Wipe(std::move(request));
}
