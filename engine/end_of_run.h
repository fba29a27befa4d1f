// The end-of-run sequence: close the files, delete the fill files and the
// temporary folder, report a failure, reset the progress.
#pragma once

#include <vector>

#include "engine/run.h"
#include "engine/run_window.h"

namespace kelvor::engine {

// Runs with the failure the writing left in the run; returns the error
// reports it gave the window, in order.
std::vector<files::Status> EndOfRun(Run& run, RunWindow& window);

// What a cancel does before the program ends, from inside the run or after
// it: closes the run's files, deletes its fill files and removes its folder.
// Failures are ignored.
void CleanUpAfterCancel(Run& run);

}  // namespace kelvor::engine
