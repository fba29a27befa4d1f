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

// The drive of one run, resolved once when the run began.
struct DriveHold::State {
  char letter = 0;  // 0: no drive is held
  Descriptor root;  // not valid when the drive could not be held: it then names nothing
  // Private folders below the root that the run changed things in, by their
  // path from the root: the run keeps working in the folder it checked, even
  // if someone renames another one into its place.
  std::map<std::string, Descriptor> folders;
  std::optional<bool> keeps_modes;  // learnt when first needed
};

DriveHold::DriveHold() : state_(std::make_unique<State>()) {}
DriveHold::~DriveHold() = default;
DriveHold::DriveHold(DriveHold&&) noexcept = default;
DriveHold& DriveHold::operator=(DriveHold&&) noexcept = default;

namespace {

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
constexpr mode_t kOthersMayWrite = S_IWGRP | S_IWOTH;

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

constexpr mode_t kOwnFolderMode = 0700;
constexpr mode_t kModeBits = 07777;

// Whether the mode asked for takes effect on a folder made at the volume's
// root. Where it cannot be learnt (a volume that takes no new folder) the
// strict rule stays.
bool ProbeKeepsModes(int root) {
  std::string name = ".kelvor-probe-" + std::to_string(getpid());
  Descriptor probe;
  if (!MakeOwnFolder(root, name, &probe)) return true;
  struct stat info;
  bool keeps = !probe.valid() || fstat(probe.get(), &info) != 0 ||
               ((info.st_mode & kModeBits) == kOwnFolderMode && info.st_uid == geteuid());
  unlinkat(root, name.c_str(), AT_REMOVEDIR);
  return keeps;
}

bool HeldVolumeKeepsModes(DriveHold::State& held) {
  if (!held.keeps_modes) held.keeps_modes = ProbeKeepsModes(held.root.get());
  return *held.keeps_modes;
}

// A folder on the held drive (`held`: its hold, when the folder is on it)
// where the volume fixes modes: a real folder there (reached through no
// link, on the same volume) is as much the user's as any, as on Windows.
bool MayChangeIn(int folder, DriveHold::State* held) {
  struct stat info;
  return IsPrivateFolder(folder) || (held && fstat(folder, &info) == 0 && S_ISDIR(info.st_mode) &&
                                     !HeldVolumeKeepsModes(*held));
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

int OpenAbsoluteFolder(const std::string& path) {
  Descriptor top(open("/", kFolderFlags));
  std::size_t below = path.find_first_not_of('/');
  if (!top.valid() || below == std::string::npos) return top.release();
  return OpenFolderBeneath(top.get(), path.substr(below), false, false);
}

namespace {

// Where the folders of a name are reached from: the held drive's root, a
// drive's root opened for this one name, "/" for an absolute name, or the
// current folder.
struct Start {
  int folder = -1;
  Descriptor owned;
  DriveHold::State* held = nullptr;  // set on the held drive: the folders on the way may be held
  bool check_itself = false;         // a drive's root and "/" are no folders of ours
};

WinError OpenStart(DriveHold::State& held, const NameParts& parts, Start* start) {
  if (parts.letter != 0 && parts.letter == held.letter) {
    if (!held.root.valid()) return kPathNotFound;
    start->folder = held.root.get();
    start->held = &held;
    return kSuccess;
  }
  if (parts.letter != 0 || parts.absolute) {
    std::optional<std::string> mount_point =
        parts.absolute ? std::optional<std::string>("/") : MountPointOfDrive(parts.letter);
    if (mount_point) start->owned = Descriptor(OpenAbsoluteFolder(*mount_point));
    if (!start->owned.valid()) return kPathNotFound;
    start->folder = start->owned.get();
    return kSuccess;
  }
  start->owned = Descriptor(open(".", kFolderFlags));
  if (!start->owned.valid()) return FolderError();
  start->folder = start->owned.get();
  start->check_itself = true;  // the current folder is checked like any other
  return kSuccess;
}

// The folder `path` from the held drive's root, when the run holds it.
const Descriptor* HeldFolder(const Start& start, const std::string& path) {
  if (!start.held) return nullptr;
  auto kept = start.held->folders.find(path);
  return kept == start.held->folders.end() ? nullptr : &kept->second;
}

// The folder `path` below the start, for a change: each folder on the way is
// opened from the one before it, on the same volume, and must be private.
// On the held drive each is held for the run, by its path from the root.
WinError OpenForChange(Start& start, const std::string& path, Place* place) {
  if (start.check_itself && !IsPrivateFolder(start.folder)) return kAccessDenied;
  Descriptor walking;
  int current = start.folder;
  std::string reached;
  std::istringstream parts(path);
  for (std::string part; std::getline(parts, part, '/');) {
    if (part.empty() || part == ".") continue;
    reached += (reached.empty() ? "" : "/") + part;
    if (const Descriptor* kept = HeldFolder(start, reached)) {
      current = kept->get();
      continue;
    }
    Descriptor next(OpenFolderBeneath(current, part, true, false));
    if (!next.valid()) return FolderError();
    if (!MayChangeIn(next.get(), start.held)) return kAccessDenied;
    if (start.held) {
      current = (start.held->folders[reached] = std::move(next)).get();
      walking = Descriptor();
    } else {
      walking = std::move(next);
      current = walking.get();
    }
  }
  place->folder = current;
  place->owned = walking.valid() ? std::move(walking) : std::move(start.owned);
  return kSuccess;
}

WinError OpenFolderOf(DriveHold& drive, const NameParts& parts, Intent intent, Place* place) {
  place->leaf = parts.leaf;
  Start start;
  if (WinError error = OpenStart(drive.state(), parts, &start)) return error;
  if (intent == Intent::kChange) return OpenForChange(start, parts.folder, place);

  if (const Descriptor* kept = HeldFolder(start, parts.folder)) {
    place->folder = kept->get();
    return kSuccess;
  }
  if (parts.folder.empty()) {  // a drive's own root, or the current folder
    place->owned = std::move(start.owned);
    place->folder = start.folder;
    return kSuccess;
  }
  // An absolute name that names no drive is one the user gave (the pattern
  // file's), only to be read: it is taken as it is.
  place->owned =
      Descriptor(parts.absolute ? open(parts.folder.c_str(), kFolderFlags)
                                : OpenFolderBeneath(start.folder, parts.folder, false, false));
  if (!place->owned.valid()) return FolderError();
  place->folder = place->owned.get();
  return kSuccess;
}

}  // namespace

WinError Locate(DriveHold& drive, const NativeName& name, Intent intent, Place* place) {
  return OpenFolderOf(drive, Split(name), intent, place);
}

WinError LocateFolder(DriveHold& drive, const NativeName& name, Place* place) {
  NameParts parts = Split(name);
  parts.folder += (parts.folder.empty() ? "" : "/") + parts.leaf;
  parts.leaf.clear();
  return OpenFolderOf(drive, parts, Intent::kChange, place);
}

bool MakeOwnFolder(int parent, const std::string& leaf, Descriptor* made) {
  if (mkdirat(parent, leaf.c_str(), kOwnFolderMode) != 0) return false;
  *made = Descriptor(openat(parent, leaf.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat info;
  if (made->valid() && fstat(made->get(), &info) == 0 && info.st_uid == geteuid()) {
    fchmod(made->get(), kOwnFolderMode);
  }
  return true;
}

bool KeepsOwners(DriveHold& drive, const struct stat& file) {
  DriveHold::State& held = drive.state();
  struct stat root;
  bool on_held_volume =
      held.root.valid() && fstat(held.root.get(), &root) == 0 && root.st_dev == file.st_dev;
  return !on_held_volume || HeldVolumeKeepsModes(held);
}

void ForgetHeldFolder(DriveHold& drive, const NativeName& name) {
  NameParts parts = Split(name);
  DriveHold::State& held = drive.state();
  if (parts.letter == 0 || parts.letter != held.letter) return;
  held.folders.erase(parts.folder.empty() ? parts.leaf : parts.folder + "/" + parts.leaf);
}

WinError HoldDrive(std::string_view drive_root, DriveHold* hold) {
  DriveHold::State& held = hold->state();
  held = DriveHold::State{};
  NativeName name = ToNativeName(drive_root);
  if (!IsDriveName(name)) return kPathNotFound;
  held.letter = name[0];
  std::optional<std::string> mount_point = MountPointOfDrive(held.letter);
  if (!mount_point) return kPathNotFound;
  Descriptor root(OpenAbsoluteFolder(*mount_point));
  if (!root.valid()) return FolderError();
  if (!IsMountRoot(root.get())) return kPathNotFound;  // a plain folder on another volume
  held.root = std::move(root);
  return kSuccess;
}

}  // namespace kelvor::os
