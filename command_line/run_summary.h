// The end of a command-line run in words: what was written, what reading
// back found, and how the run ended.
#pragma once

#include <string>
#include <string_view>

#include "engine/run_window.h"

namespace kelvor::command_line {

// A number rounded to `decimals`, after a sign's place: " 1.2", " 0.19".
std::string Rounded(double value, int decimals);

// "Read back 3.1 MB (a sample, from the device): as written."; empty when
// nothing was read back.
std::string ReadBackSentence(const engine::ReadBack& read_back);

// "Trimmed 512 MB: the device was told which blocks are unused.", or why
// not where only rights were missing; empty otherwise.
std::string TrimSentence(const engine::Trim& trim);

// The Windows program's one line for its error output:
// "D: wrote 1.23 GB. Read back 12.3 MB (...): as written. Result: verified.";
// "D: wrote nothing. ..." when no byte was.
std::string SummaryLine(std::string_view drive_root, const engine::RunOutcome& outcome);

}  // namespace kelvor::command_line
