// The end-of-run sequence: close the files, delete the fill files and the
// temporary folder, report a failure, reset the progress bar.
#pragma once

#include <string>

#include "engine/run_window.h"
#include "files/error_state.h"

namespace kelvor::engine {

inline constexpr const char* kProgramCaption = "Kelvor";
inline constexpr std::uint32_t kErrorReportStyle =
    0x12000;  // MB_OK | MB_SETFOREGROUND | MB_TASKMODAL
inline constexpr const char* kFillFilePattern = "Kelvor*.dat";
inline constexpr const char* kDeletingText =
    "Deleting temporary files. This may take several minutes ...";

// "An Error occured:  53 - File not found."
std::string ErrorReportText(files::ErrorNumber number);

// Runs with the run's error state, whose number the writing left behind.
void EndOfRun(files::ErrorState& state, RunWindow& window);

// What a cancel does before the program ends, from inside a run or not:
// closes all files, deletes the fill files of the current or last run and
// removes its folder. Failures are ignored; before the first run there is no
// folder, and nothing is deleted.
void CleanUpAfterCancel();

}  // namespace kelvor::engine
