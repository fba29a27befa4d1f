// Where a name leads on POSIX. A drive's name ("D:/~KelvorTemp/Kelvor1.dat")
// is reached from the drive's mount point, held open, without following a
// symbolic link and, for a change, without leaving the volume; a relative
// name from the current folder the same way. For a change, every folder on
// the way below the drive's root must be this user's own, and no one else's
// to write, and each is opened from the one before it: a folder that another
// user controls anywhere on the way leads nowhere.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/os_files.h"

namespace kelvor::os {

// A file descriptor that is closed with its owner.
class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor();
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();  // the caller closes it

 private:
  int fd_ = -1;
};

enum class Intent {
  kLook,    // read a file, list a folder
  kChange,  // create, write or delete
};

// The folder that holds a name, open, and the name's last part.
struct Place {
  int folder = -1;   // a directory descriptor: `owned`, or one the drive's hold keeps
  Descriptor owned;  // set when the folder is not held
  std::string leaf;  // the last part; empty for a drive's root itself
};

// Opens the folder of `name`; a name on the drive that `drive` holds is
// reached through the hold. Fails with the Windows code of the situation: a
// missing folder is "path not found", a link on the way "can't resolve", a
// folder that is not private to this user (for a change) "access denied".
WinError Locate(DriveHold& drive, const NativeName& name, Intent intent, Place* place);

// Opens the folder `name` itself for a change in it, as Locate opens a
// name's folder; the place's leaf is empty.
WinError LocateFolder(DriveHold& drive, const NativeName& name, Place* place);

// Whether the volume of a file keeps an owner and a mode for each file.
// Where the mount fixes them for every file (vfat, exfat, ntfs-3g without
// permissions: each shows the mount's owner and often mode 0777, whatever
// fchmod asks), they say nothing of who may write: on the held drive a real
// folder is then fit for a change, and a file is this user's, as on Windows.
// Exclusive creation and the checks on each opened handle keep the run to
// its own files there. Learnt once per run, from whether fchmod takes effect
// on a folder made for the purpose at the drive's root.
bool KeepsOwners(DriveHold& drive, const struct stat& file);

// Makes the folder `leaf` in `parent` with mode 0700 whatever the umask
// says (where it is this user's to change) and opens it (`made`: not valid
// when the new folder could not be opened). False, with errno, when it
// could not be made.
bool MakeOwnFolder(int parent, const std::string& leaf, Descriptor* made);

// Lets go of a held folder that the program has just removed.
void ForgetHeldFolder(DriveHold& drive, const NativeName& name);

// Opens the folder `path` below the folder `from` (O_PATH), never through a
// symbolic link or "..", and, with same_device, never onto another volume.
// The kernel does it in one step (openat2) where it can; step_by_step walks
// the parts one by one as older kernels must. For the tests of both ways.
int OpenFolderBeneath(int from, const std::string& path, bool same_device, bool step_by_step);

// Opens the folder at an absolute path (O_PATH) from "/", through no
// symbolic link: whoever may change a folder above a mount point cannot
// swap in a link that leads elsewhere.
int OpenAbsoluteFolder(const std::string& path);

}  // namespace kelvor::os
