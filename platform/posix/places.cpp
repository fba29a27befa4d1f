#include "places.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <optional>
#include <sstream>

#include "drive_map.h"
#include "errno_map.h"
#include "platform/os_drives.h"

namespace kelvor::os {

Descriptor::~Descriptor() {
  if (fd_ >= 0) close(fd_);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

int Descriptor::release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

namespace {

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
constexpr mode_t kOthersMayWrite = S_IWGRP | S_IWOTH;

// The drive of the current or last run, resolved once when the run began.
struct HeldDrive {
  char letter = 0;  // 0: no drive is held
  Descriptor root;  // not valid when the drive could not be held: it then names nothing
  // Private folders below the root that the run changed things in, by their
  // path from the root: the run keeps working in the folder it checked, even
  // if someone renames another one into its place.
  std::map<std::string, Descriptor> folders;
};

HeldDrive& Held() {
  static HeldDrive held;
  return held;
}

// A native name in its parts: "D:/a/b/c" is drive D, folder "a/b", leaf "c".
struct NameParts {
  char letter = 0;  // 0: no drive
  bool absolute = false;
  std::string folder;
  std::string leaf;
};

bool IsDriveName(const NativeName& name) {
  return name.size() >= 3 && name[1] == ':' && name[2] == '/';
}

NameParts Split(const NativeName& name) {
  NameParts parts;
  std::string rest = name;
  if (IsDriveName(name)) {
    parts.letter = name[0];
    rest = name.substr(3);
  } else if (!name.empty() && name[0] == '/') {
    parts.absolute = true;
  }
  while (rest.size() > 1 && rest.back() == '/') rest.pop_back();  // a folder's own name
  std::size_t slash = rest.find_last_of('/');
  if (slash == std::string::npos) {
    parts.leaf = rest;
  } else {
    parts.folder = slash == 0 ? "/" : rest.substr(0, slash);
    parts.leaf = rest.substr(slash + 1);
  }
  return parts;
}

// A folder in which the program creates or deletes must be this user's own
// and no one else's to write: nobody can then put a link, a hard link or a
// pipe where a fill file goes, or take a fill file away.
bool IsPrivateFolder(int folder) {
  struct stat info;
  return fstat(folder, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
         (info.st_mode & kOthersMayWrite) == 0;
}

WinError FolderError() {
  switch (errno) {
    case ENOENT:
    case ENOTDIR:
      return kPathNotFound;
    case ELOOP:
    case EXDEV:
      return kCantResolveFilename;  // a link, or another volume, on the way
    default:
      return TranslateErrno(errno);
  }
}

int OpenFolderStepByStep(int from, const std::string& path, bool same_device) {
  struct stat start;
  if (fstatat(from, ".", &start, 0) != 0) return -1;
  Descriptor current(openat(from, ".", kFolderFlags));
  std::istringstream parts(path);
  for (std::string part; current.valid() && std::getline(parts, part, '/');) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      errno = EXDEV;  // never out of the folder it starts in
      return -1;
    }
    struct stat info;
    if (fstatat(current.get(), part.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(info.st_mode)) {
      errno = ELOOP;
      return -1;
    }
    // O_NOFOLLOW: a link put in place after the look above is not followed.
    Descriptor next(openat(current.get(), part.c_str(), kFolderFlags | O_NOFOLLOW));
    if (!next.valid()) return -1;
    if (same_device && (fstat(next.get(), &info) != 0 || info.st_dev != start.st_dev)) {
      errno = EXDEV;
      return -1;
    }
    current = std::move(next);
  }
  return current.release();
}

}  // namespace

int OpenFolderBeneath(int from, const std::string& path, bool same_device, bool step_by_step) {
  if (!step_by_step && !path.empty()) {
    open_how how = {};
    how.flags = kFolderFlags;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS |
                  (same_device ? RESOLVE_NO_XDEV : 0);
    long fd = syscall(SYS_openat2, from, path.c_str(), &how, sizeof how);
    if (fd >= 0 || errno != ENOSYS) return static_cast<int>(fd);
  }
  return OpenFolderStepByStep(from, path, same_device);
}

WinError Locate(const NativeName& name, Intent intent, Place* place) {
  NameParts parts = Split(name);
  bool change = intent == Intent::kChange;
  HeldDrive& held = Held();
  bool on_held_drive = parts.letter != 0 && parts.letter == held.letter;
  place->leaf = parts.leaf;

  Descriptor root;
  int from = AT_FDCWD;
  if (on_held_drive) {
    if (!held.root.valid()) return kPathNotFound;
    auto folder = held.folders.find(parts.folder);
    if (folder != held.folders.end()) {
      place->folder = folder->second.get();
      place->held = true;
      return kSuccess;
    }
    from = held.root.get();
  } else if (parts.letter != 0) {
    std::optional<std::string> mount_point = MountPointOfDrive(parts.letter);
    if (mount_point) root = Descriptor(open(mount_point->c_str(), kFolderFlags));
    if (!root.valid()) return kPathNotFound;
    from = root.get();
  }

  if (parts.letter != 0 && parts.folder.empty()) {  // the drive's own root
    place->folder = from;
    place->owned = std::move(root);
    return kSuccess;
  }
  // An absolute path that names no drive is one the user gave (the pattern
  // file's): it is taken as it is.
  Descriptor folder(parts.absolute ? open(parts.folder.c_str(), kFolderFlags)
                                   : OpenFolderBeneath(from, parts.folder, change, false));
  if (!folder.valid()) return FolderError();
  if (change && !IsPrivateFolder(folder.get())) return kAccessDenied;
  if (change && on_held_drive) {
    Descriptor& kept = held.folders[parts.folder];
    kept = std::move(folder);
    place->folder = kept.get();
    place->held = true;
    return kSuccess;
  }
  place->owned = std::move(folder);
  place->folder = place->owned.get();
  return kSuccess;
}

void ForgetHeldFolder(const NativeName& name) {
  NameParts parts = Split(name);
  HeldDrive& held = Held();
  if (parts.letter == 0 || parts.letter != held.letter) return;
  held.folders.erase(parts.folder.empty() ? parts.leaf : parts.folder + "/" + parts.leaf);
}

WinError HoldDrive(std::string_view drive_root) {
  HeldDrive& held = Held();
  held = HeldDrive{};
  NativeName name = ToNativeName(drive_root);
  if (!IsDriveName(name)) return kPathNotFound;
  held.letter = name[0];
  std::optional<std::string> mount_point = MountPointOfDrive(held.letter);
  if (!mount_point) return kPathNotFound;
  Descriptor root(open(mount_point->c_str(), kFolderFlags));
  if (!root.valid()) return FolderError();
  if (!IsMountRoot(root.get())) return kPathNotFound;  // a plain folder on another volume
  held.root = std::move(root);
  return kSuccess;
}

}  // namespace kelvor::os
