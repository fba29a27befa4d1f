#include "unwritable.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace kelvor::os {
namespace {

constexpr mode_t kOthersWrite = S_IWGRP | S_IWOTH;

// "root, mode 755"
std::string OwnerAndMode(const struct stat& info) {
  const passwd* owner = getpwuid(info.st_uid);
  char mode[8];
  std::snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(info.st_mode & 07777));
  return (owner ? std::string(owner->pw_name) : "user " + std::to_string(info.st_uid)) + ", mode " +
         mode;
}

}  // namespace

std::string WhyNothingCanBeWritten(const std::string& root, const std::string& own_folder) {
  struct statvfs volume;
  if (statvfs(root.c_str(), &volume) == 0 && (volume.f_flag & ST_RDONLY) != 0) {
    return "the volume is mounted read-only";
  }
  struct stat info;
  if (stat(root.c_str(), &info) != 0) return {};
  if (faccessat(AT_FDCWD, root.c_str(), W_OK | X_OK, AT_EACCESS) != 0 && errno == EACCES) {
    return "this user may not write in its root folder (" + OwnerAndMode(info) + ")";
  }
  // Kelvor works only in a folder that is its user's alone.
  if (lstat(own_folder.c_str(), &info) != 0) return {};
  if (!S_ISDIR(info.st_mode)) return own_folder + " is in the way, and is no folder";
  if (info.st_uid != geteuid() || (info.st_mode & kOthersWrite) != 0) {
    return own_folder + " is not this user's alone (" + OwnerAndMode(info) +
           "), and Kelvor works only in a folder of its own";
  }
  return {};
}

}  // namespace kelvor::os
