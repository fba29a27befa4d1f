// The program on Linux: the command line of the Windows program, plus mount
// points for drives, a listing, a terminal view of the run, and interrupts
// that clean up as Cancel does.
#include <signal.h>

#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/start_up.h"
#include "command_line/command_line.h"
#include "command_line/command_line_run.h"
#include "command_line/own_options.h"
#include "command_line/terminal_view.h"
#include "drives/drive_list.h"
#include "engine/end_of_run.h"
#include "engine/wipe_run.h"
#include "kelvor_version.h"
#include "platform/os_process.h"
#include "platform/posix/mounts.h"
#include "text/free_space.h"
#include "text/printable_text.h"

namespace {

namespace cli = kelvor::command_line;
using cli::kExitDriveNotListed;
using kelvor::text::PrintableText;

constexpr int kSignalExitBase = 128;  // exit code 128 + signal, as shells report it
constexpr unsigned kDescriptorsForARun = 128;

constexpr const char* kUsage =
    "Usage: kelvor DRIVE [OPTION...] wipe the free space of DRIVE\n"
    "       kelvor [--help]          list the drives and show this text\n"
    "       kelvor --version         show the version\n"
    "       kelvor --check DRIVE     tell what a wipe of DRIVE reaches, and write nothing\n"
    "\n"
    "DRIVE is a drive letter (D, D: or D:\\) or the mount point of a listed drive.\n"
    "OPTION chooses the bytes written (the Windows program's options, or names):\n"
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
    "A byte that does not read back as written fails the run: 72 - Disk media error.\n"
    "\n"
    "Drive letters: KELVOR_DRIVES='D=/mnt/usb;E=/srv/data' chooses them; without it\n"
    "/ is C: and the other filesystems follow in mount-point order.\n"
    "\n"
    "Exit codes: 0 wiped; 1 the run reported an error; 2 the drive is not listed,\n"
    "the first word names no drive, or an option has a bad value: nothing was\n"
    "touched; 130, 143, 129, 152 stopped by SIGINT, SIGTERM, SIGHUP, SIGXCPU, with\n"
    "the fill files removed; 255 a fatal internal error.\n";

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

// The Linux build's names for the Windows program's options.
constexpr std::pair<std::string_view, std::string_view> kNamedOptions[] = {
    {"--ones", ""}, {"--zeros", "/B"}, {"--blocks", "/0"}};

std::string_view AsWindowsOption(std::string_view argument) {
  for (auto [name, option] : kNamedOptions) {
    if (argument == name) return option;
  }
  return argument;
}

// The options after the drive: Kelvor's own, and the rest, from which the
// Windows program's rules for its command tail choose the wipe type; the
// wipe types may be given by name.
struct Options {
  kelvor::engine::WipeType wipe_type = kelvor::engine::kAllOnes;
  cli::OwnOptions own;
};
Options OptionsAfterDrive(const std::vector<std::string>& arguments) {
  Options options;
  std::string wipe_options;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    std::string_view option = AsWindowsOption(arguments[i]);
    if (option.starts_with(cli::kOwnOptionStart) && cli::TakeOwnOption(option, &options.own)) {
      continue;
    }
    wipe_options += std::string(option) + ' ';
  }
  options.wipe_type = cli::WipeTypeFromOptions(wipe_options);
  return options;
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

int Wipe(std::vector<std::string> arguments) {
  ReportDriveMapProblem();
  std::string named = PrintableText(arguments[0]);  // for messages
  if (!NamesADrive(arguments[0])) {
    std::fprintf(stderr,
                 "kelvor: %s names no drive (a letter such as D, D: or D:\\, or a mount point)\n",
                 named.c_str());
    return kExitDriveNotListed;
  }
  Options options = OptionsAfterDrive(arguments);
  if (!options.own.refused.empty()) {
    std::fprintf(stderr, "kelvor: %s: --verify takes sample, full or off; --record a file\n",
                 PrintableText(options.own.refused).c_str());
    return cli::kExitBadOption;
  }
  bool mount_point = arguments[0][0] == '/';
  if (mount_point) {
    std::optional<char> letter = kelvor::os::LetterOfMountPoint(arguments[0]);
    if (!letter) {
      std::fprintf(stderr, "kelvor: %s is not the mount point of a listed drive\n", named.c_str());
      return kExitDriveNotListed;
    }
    arguments[0] = std::string{*letter, ':'};
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
  std::optional<char> letter = cli::ListedDrive(arguments[0]);
  if (!letter) {
    std::fprintf(stderr, "kelvor: %s is not a listed drive (kelvor --help lists them)\n",
                 named.c_str());
    return kExitDriveNotListed;
  }
  if (options.own.check) return cli::PrintStorageCheck(*letter, options.wipe_type, stdout);
  kelvor::engine::Run run(*letter, options.wipe_type, options.own.verify);
  run.trim = options.own.trim;
  std::vector<std::string> findings = cli::WarnOfFindings(run, stderr);
  std::optional<kelvor::record::RunRecord> record;  // for --record=FILE
  cli::TerminalView view(stderr, kelvor::os::ErrorStreamIsTerminal(), [&](int signal_number) {
    kelvor::engine::CleanUpAfterCancel(run);
    int exit_code = kSignalExitBase + signal_number;
    if (record) (void)record->Write(exit_code, nullptr);
    kelvor::os::EndProcess(exit_code);
  });
  if (!options.own.record_path.empty()) {
    record.emplace(view, cli::RecordSubjectOf(run, std::move(findings)), options.own.record_path);
  }
  kelvor::engine::RunWindow& window =
      record ? *record : static_cast<kelvor::engine::RunWindow&>(view);
  kelvor::engine::SystemClock clock;
  kelvor::engine::RunOutcome outcome = kelvor::engine::RunWipe(run, window, clock);
  view.PrintSummary(outcome);
  return record ? cli::WriteRecord(*record, outcome, stderr) : cli::ExitCodeOf(outcome);
}

}  // namespace

int main(int argc, char** argv) {
  // A closed output (kelvor D: | head -n1) must never stop a run or its
  // cleanup: writes to it fail quietly instead.
  signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
    ReportDriveMapProblem();
    PrintDriveListing();
    std::printf("\n%s", kUsage);
    return 0;
  }
  if (arguments[0] == "--version") {
    std::printf("kelvor %s\n", KELVOR_VERSION_TEXT);
    return 0;
  }
  // kelvor --check D: is kelvor D: --check.
  if (arguments[0] == "--check" && arguments.size() > 1) std::swap(arguments[0], arguments[1]);
  return Wipe(std::move(arguments));
}
