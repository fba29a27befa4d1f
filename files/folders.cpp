// The folder operations of the file-access layer.
#include <string>

#include "files/file_access.h"
#include "files/names.h"

namespace kelvor::files {
namespace {

constexpr std::size_t kMaxPatternLength = 256;
constexpr std::string_view kAllFiles = "*.*";
constexpr std::uint32_t kNotDeleted =
    os::kAttrHidden | os::kAttrSystem | os::kAttrVolumeLabel | os::kAttrDirectory;
constexpr std::uint32_t kNotAFile = os::kAttrVolumeLabel | os::kAttrDirectory;

bool EndsWithSeparator(std::string_view text) {
  return !text.empty() && (text.back() == ':' || text.back() == '\\');
}

// The pattern up to and including its last ":" or "\".
std::string_view FolderPart(std::string_view pattern) {
  std::size_t last = pattern.find_last_of(":\\");
  return last == std::string_view::npos ? std::string_view{} : pattern.substr(0, last + 1);
}

}  // namespace

Status FileAccess::DeleteFiles(std::string_view given) {
  if (given.empty()) return kOk;
  std::string pattern(given.substr(0, kMaxPatternLength));
  if (EndsWithSeparator(pattern)) pattern += kAllFiles;

  os::FindHandle search;
  os::FoundEntry entry;
  if (!os::FindFirstEntry(drive_, os::ToNativeName(pattern), &search, &entry)) {
    return Failure(kFileNotFound);
  }
  os::NativeName folder = os::ToNativeName(FolderPart(pattern));
  // A file that cannot be deleted keeps no other from going: each one left
  // keeps the disk full. The first failure is the one returned.
  os::WinError first_failure = os::kSuccess;
  do {
    if (entry.attributes & kNotDeleted) continue;
    os::WinError error = os::RemoveFile(drive_, folder + entry.name);
    if (first_failure == os::kSuccess) first_failure = error;
  } while (os::FindNextEntry(search, &entry));
  os::EndFind(search);
  return FromOs(first_failure);
}

Status FileAccess::MakeFolder(std::string_view path) {
  if (HasWildcard(path)) return Failure(kPathNotFound);
  return FromOs(os::MakeDirectory(drive_, os::ToNativeName(path.substr(0, kMaxNameLength))));
}

Status FileAccess::RemoveFolder(std::string_view path) {
  if (HasWildcard(path)) return Failure(kPathNotFound);
  Status status =
      FromOs(os::DeleteDirectory(drive_, os::ToNativeName(path.substr(0, kMaxNameLength))));
  if (status.number == kFileNotFound) status.number = kPathNotFound;
  return status;
}

bool FileAccess::IsExistingFile(std::string_view path) {
  if (path.empty() || HasWildcard(path) || path.back() == ':') return false;
  os::FindHandle search;
  os::FoundEntry entry;
  if (!os::FindFirstEntry(drive_, os::ToNativeName(path), &search, &entry)) return false;
  os::EndFind(search);
  return (entry.attributes & kNotAFile) == 0;
}

}  // namespace kelvor::files
