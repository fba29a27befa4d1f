// The Linux program's words, read as Linux programs read theirs: options
// before or after the drive, "--" ends them, and a word that is no option, or
// a second drive, is an error that names it, so that a typo never wipes. The
// wipe types are the Windows program's options (/B, /0), or their names.
#pragma once

#include <string>
#include <vector>

#include "command_line/own_options.h"
#include "engine/run.h"

namespace kelvor::command_line {

enum class Action { kListDrives, kShowVersion, kWipe };

struct Request {
  Action action = Action::kWipe;
  std::string drive;  // the one word that is no option
  engine::WipeType wipe_type = engine::kAllOnes;
  OwnOptions own;
  bool quiet = false;      // -q: no status lines, one closing line
  bool confirmed = false;  // --yes: no question before wiping the root filesystem
  std::string error;       // what is wrong, for one line, when the words make no request
};

Request ReadArguments(const std::vector<std::string>& words);

}  // namespace kelvor::command_line
