// Folder operations and file deletion by pattern.
#pragma once

#include <string_view>

#include "files/error_state.h"

namespace kelvor::files {

// Deletes the files matching a pattern such as "D:\~KelvorTemp\Kelvor*.dat".
// Hidden and system files, volume labels and folders are skipped. A pattern
// that matches nothing records 53; a failed deletion is recorded after every
// other match has been deleted.
void DeleteFiles(ErrorState& state, std::string_view pattern);

void MakeFolder(ErrorState& state, std::string_view path);
// A missing folder records 76, a folder that is not empty 75.
void RemoveFolder(ErrorState& state, std::string_view path);

// True for an existing file (hidden ones too), false for folders and
// everything else. Records nothing.
bool IsExistingFile(std::string_view path);

}  // namespace kelvor::files
