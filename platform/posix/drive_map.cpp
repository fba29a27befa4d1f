#include "drive_map.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "places.h"

namespace kelvor::os {
namespace {

constexpr std::array<std::string_view, 22> kPseudoFilesystems = {
    "proc",       "sysfs",      "devtmpfs",  "devpts",  "cgroup",      "cgroup2",
    "securityfs", "debugfs",    "tracefs",   "pstore",  "bpf",         "mqueue",
    "hugetlbfs",  "configfs",   "fusectl",   "autofs",  "binfmt_misc", "efivarfs",
    "nsfs",       "rpc_pipefs", "selinuxfs", "squashfs"};

constexpr std::array<std::string_view, 4> kSystemTrees = {"/proc", "/sys", "/dev", "/run"};
constexpr std::string_view kRemovableMediaTree = "/run/media";

bool IsBelow(std::string_view path, std::string_view tree) {
  return path == tree ||
         (path.starts_with(tree) && path.size() > tree.size() && path[tree.size()] == '/');
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsOctalDigit(char c) {
  return c >= '0' && c <= '7';
}

// The kernel writes blanks, tabs, newlines and backslashes in mount fields as
// "\ooo" octal escapes.
std::string UnescapeMountField(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    bool escape = field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
                  IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3]);
    if (escape) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// The path with its links resolved, or as it is when that fails.
std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? resolved : path;
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Reached through no symbolic link, as the run will reach it.
bool IsMountPoint(const std::string& path) {
  int folder = OpenAbsoluteFolder(path);
  if (folder < 0) return false;
  bool mount_root = IsMountRoot(folder);
  close(folder);
  return mount_root;
}

std::vector<MountEntry> ReadMountTable() {
  std::ifstream file("/proc/self/mounts");
  std::stringstream text;
  text << file.rdbuf();
  return ParseMountTable(text.str());
}

// A program path with a drive letter, its parts resolved inside the drive.
struct DrivePath {
  char letter = 0;  // 0: the path names no drive
  std::vector<std::string> parts;
  bool names_folder = false;  // "D:" and "D:\x\" name folders
};

DrivePath SplitDrivePath(std::string_view path) {
  DrivePath drive_path;
  std::string slashed(path);
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  bool has_drive = slashed.size() >= 2 && slashed[1] == ':' &&
                   std::isalpha(static_cast<unsigned char>(slashed[0]));
  if (!has_drive) return drive_path;
  drive_path.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(slashed[0])));
  // Resolve "." and ".." inside the drive, the way Windows normalises a path.
  std::istringstream components(slashed.substr(2));
  std::string part;
  while (std::getline(components, part, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!drive_path.parts.empty()) drive_path.parts.pop_back();
      continue;
    }
    drive_path.parts.push_back(part);
  }
  drive_path.names_folder = slashed.size() == 2 || slashed.back() == '/';
  return drive_path;
}

// The parts joined by "/", after `lead`, with a trailing "/" for a folder.
std::string Joined(std::string lead, const DrivePath& drive_path) {
  for (const std::string& part : drive_path.parts) {
    if (lead.empty() || lead.back() != '/') lead += '/';
    lead += part;
  }
  if (drive_path.names_folder && (lead.empty() || lead.back() != '/')) lead += '/';
  return lead;
}

}  // namespace

DriveVariable ParseDriveVariable(std::string_view text) {
  DriveVariable map;
  std::vector<std::string> entries(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool doubled = text[i] == ';' && i + 1 < text.size() && text[i + 1] == ';';
    if (text[i] != ';' || doubled) {
      entries.back() += text[i];
      i += doubled ? 1 : 0;
    } else {
      entries.emplace_back();
    }
  }
  for (const std::string& entry : entries) {
    if (entry.empty()) continue;
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(entry[0])));
    bool valid = entry.size() >= 3 && entry[1] == '=' && entry[2] == '/' &&
                 letter >= kFirstDriveLetter && letter <= kLastDriveLetter;
    bool taken = std::any_of(map.drives.begin(), map.drives.end(),
                             [letter](const DriveMapping& d) { return d.letter == letter; });
    if (!valid || taken) {
      map.problem = "'" + entry + "' is " +
                    (valid ? "a second entry for its letter" : "not LETTER=/PATH") +
                    " (a ';' inside a path is written ';;'), so no drive is mapped";
      map.drives.clear();
      return map;
    }
    map.drives.push_back({letter, WithoutTrailingSlash(entry.substr(2))});
  }
  return map;
}

std::vector<MountEntry> ParseMountTable(std::string_view table) {
  std::vector<MountEntry> mounts;
  std::istringstream lines{std::string(table)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, mount_point, fs_type, options;
    if (!(fields >> device >> mount_point >> fs_type)) continue;
    fields >> options;
    mounts.push_back(
        {UnescapeMountField(device), UnescapeMountField(mount_point), fs_type, options});
  }
  return mounts;
}

bool IsPseudoMount(const MountEntry& mount) {
  if (std::find(kPseudoFilesystems.begin(), kPseudoFilesystems.end(), mount.fs_type) !=
      kPseudoFilesystems.end()) {
    return true;
  }
  if (IsBelow(mount.mount_point, kRemovableMediaTree)) return false;
  return std::any_of(kSystemTrees.begin(), kSystemTrees.end(),
                     [&](std::string_view tree) { return IsBelow(mount.mount_point, tree); });
}

std::vector<DriveMapping> DrivesFromMounts(const std::vector<MountEntry>& mounts) {
  std::vector<std::string> points;
  for (const MountEntry& mount : mounts) {
    if (mount.mount_point.empty() || mount.mount_point[0] != '/' || IsPseudoMount(mount)) continue;
    points.push_back(WithoutTrailingSlash(mount.mount_point));
  }
  std::sort(points.begin(), points.end());
  points.erase(std::unique(points.begin(), points.end()), points.end());

  std::vector<DriveMapping> drives;
  char next = kFirstDriveLetter;
  bool has_root = std::find(points.begin(), points.end(), "/") != points.end();
  if (has_root) drives.push_back({next++, "/"});
  for (const std::string& point : points) {
    if (point == "/") continue;
    if (next > kLastDriveLetter) break;
    drives.push_back({next++, point});
  }
  return drives;
}

bool IsMountRoot(int folder) {
  struct statx info;
  if (statx(folder, "", AT_EMPTY_PATH, STATX_BASIC_STATS, &info) == 0 &&
      (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)) {
    return (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  }
  // Older kernels: a mount's root lies on another device than its parent,
  // or is the root of everything.
  struct stat here, parent;
  return fstat(folder, &here) == 0 && fstatat(folder, "..", &parent, 0) == 0 &&
         (here.st_dev != parent.st_dev || here.st_ino == parent.st_ino);
}

std::vector<DriveMapping> CurrentDriveMap() {
  if (const char* text = std::getenv(kDriveMapVariable)) {
    std::vector<DriveMapping> drives = ParseDriveVariable(text).drives;
    std::erase_if(drives, [](const DriveMapping& d) { return !IsMountPoint(d.mount_point); });
    return drives;
  }
  std::vector<MountEntry> mounts = ReadMountTable();
  std::erase_if(mounts, [](const MountEntry& m) { return !IsFolder(m.mount_point); });
  return DrivesFromMounts(mounts);
}

std::optional<std::string> DriveMapProblem() {
  const char* text = std::getenv(kDriveMapVariable);
  std::string problem = text ? ParseDriveVariable(text).problem : std::string();
  if (problem.empty()) return std::nullopt;
  return std::string(kDriveMapVariable) + ": " + problem;
}

std::optional<std::string> MountPointOfDrive(char letter) {
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (const DriveMapping& drive : CurrentDriveMap()) {
    if (drive.letter == letter) return drive.mount_point;
  }
  return std::nullopt;
}

std::optional<char> LetterOfMountPoint(const std::string& path) {
  std::string wanted = RealPath(path);
  for (const DriveMapping& drive : CurrentDriveMap()) {
    if (RealPath(drive.mount_point) == wanted) return drive.letter;
  }
  return std::nullopt;
}

std::string NativeDriveName(std::string_view path) {
  DrivePath drive_path = SplitDrivePath(path);
  if (drive_path.letter == 0) {
    std::string slashed(path);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    return slashed;
  }
  return Joined(std::string{drive_path.letter, ':', '/'}, drive_path);
}

std::string MapDrivePath(std::string_view path, const std::vector<DriveMapping>& drives) {
  DrivePath drive_path = SplitDrivePath(path);
  if (drive_path.letter == 0) return NativeDriveName(path);
  auto drive = std::find_if(drives.begin(), drives.end(),
                            [&](const DriveMapping& d) { return d.letter == drive_path.letter; });
  if (drive == drives.end()) return {};
  return Joined(drive->mount_point, drive_path);
}

}  // namespace kelvor::os
