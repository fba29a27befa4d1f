// Command-line mode: one unattended wipe run of the drive that the first
// argument names, chosen from the drive list as start-up reads it back, and
// an exit code that tells scripts what happened.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/clock.h"
#include "engine/run_window.h"
#include "record/run_record.h"

namespace kelvor::command_line {

inline constexpr int kExitClean = 0;           // the run showed no error report
inline constexpr int kExitReported = 1;        // the run showed an error report
inline constexpr int kExitDriveNotListed = 2;  // nothing was touched
inline constexpr int kExitBadOption = 2;       // nothing was touched either
inline constexpr int kExitNotConfirmed = 2;    // a wipe that needed a yes got none

// The letter that the first argument names, when the drive list (carried
// through the probe file) has that drive.
std::optional<char> ListedDrive(std::string_view first_argument);

int ExitCodeOf(const engine::RunOutcome& outcome);

// The whole mode, with the window the run reports to (errors still appear)
// and the clock it measures with. Returns the exit code.
int RunCommandLine(const std::string& command_tail, engine::RunWindow& window,
                   engine::Clock& clock);

// The storage check (--check) of a listed drive: its facts and findings on
// `out`, one a line. Writes nothing to the drive.
int PrintStorageCheck(char letter, engine::WipeType type, std::FILE* out);

// The findings of a run's drive, each a warning line on `errors` before the
// disk fills; they go into the run's record too.
std::vector<std::string> WarnOfFindings(const engine::Run& run, std::FILE* errors);

// The record of a run, for --record=FILE.
record::RecordSubject RecordSubjectOf(const engine::Run& run, std::vector<std::string> findings);
// Writes the record of a run that ended and returns the exit code: the
// run's, or kExitReported when the record could not be written (which
// `errors` is told).
int WriteRecord(const record::RunRecord& record, const engine::RunOutcome& outcome,
                std::FILE* errors);

}  // namespace kelvor::command_line
