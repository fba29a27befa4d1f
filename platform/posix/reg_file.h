// Reader for registry export files (".reg"), the POSIX stand-in for the
// Windows registry.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace kelvor::os {

struct RegValue {
  std::uint32_t type = 0;
  std::string data;  // the bytes RegQueryValueExA would give: 8-bit strings, zero-terminated
};

// Key paths ("HKEY_CURRENT_USER\Control Panel\Desktop") and value names ("" is
// the default value) are stored folded to lower case: the registry ignores case.
using RegValues = std::map<std::string, RegValue>;
using RegKeys = std::map<std::string, RegValues>;

// Accepts "Windows Registry Editor Version 5.00" files (UTF-16LE with a byte
// order mark, or UTF-8) and "REGEDIT4" files. Text without either header gives
// no keys; lines that cannot be read are skipped.
RegKeys ParseRegFile(std::string_view text);

std::string FoldCase(std::string_view text);

}  // namespace kelvor::os
