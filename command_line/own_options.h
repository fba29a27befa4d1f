// Kelvor's own options: words after the drive that start with "--", such as
// --verify=sample|full|off, --record=FILE, --no-trim and --check. On Windows they are taken out of
// the command tail before the wipe type's substring tests read it, so that their values
// ("--record=D:/B.json") choose no wipe type.
#pragma once

#include <string>
#include <string_view>

#include "engine/run.h"

namespace kelvor::command_line {

inline constexpr std::string_view kOwnOptionStart = "--";

struct OwnOptions {
  engine::VerifyMode verify = engine::VerifyMode::kSample;
  std::string record_path;  // --record=FILE: where the run's record goes; empty for none
  bool trim = true;         // --no-trim: the device is not told of the freed blocks
  bool check = false;       // --check: tell what a wipe would reach, and write nothing
  std::string refused;      // the first own option given a value it does not take
};

// Takes one word into `options`; false when the word is no option of these.
bool TakeOwnOption(std::string_view word, OwnOptions* options);

// The own options among the tail's arguments after the first; `wipe_tail`
// is the tail without them.
OwnOptions TakeOwnOptions(std::string_view tail, std::string* wipe_tail);

}  // namespace kelvor::command_line
