// XFS's log on Linux. The log is a fixed ring of blocks that keeps copies of
// the metadata it logged, folder blocks among them, and so the names of
// deleted files; no fill reaches it. It is overwritten only by newer
// changes: this makes small ones (files made and deleted in the program's
// own folder, each batch synced) until the log's head has gone once round
// the ring, as the kernel shows it in /sys/fs/xfs/DEVICE/log/log_head_lsn
// ("cycle:block"). No rights are needed; it is bounded in time.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>

#include "places.h"
#include "platform/os_drives.h"

namespace kelvor::os {
namespace {

constexpr long kXfsMagic = 0x58465342;
constexpr int kChangesPerBatch = 20;  // made and deleted between two syncs
constexpr auto kLongestOverwrite = std::chrono::seconds(30);

using LogPosition = std::pair<long long, long long>;  // cycle, block

// The file that shows the log's head of the volume of `folder`.
std::string HeadFileOf(int folder) {
  struct stat info;
  if (fstat(folder, &info) != 0) return {};
  std::error_code missing;
  std::filesystem::path device =
      std::filesystem::read_symlink("/sys/dev/block/" + std::to_string(major(info.st_dev)) + ":" +
                                        std::to_string(minor(info.st_dev)),
                                    missing);
  if (missing) return {};
  return "/sys/fs/xfs/" + device.filename().string() + "/log/log_head_lsn";
}

std::optional<LogPosition> ReadHead(const std::string& head_file) {
  std::ifstream file(head_file);
  long long cycle = 0, block = 0;
  char colon = 0;
  if (!(file >> cycle >> colon >> block) || colon != ':') return std::nullopt;
  return LogPosition{cycle, block};
}

// One batch of changes: files made and deleted, then the volume synced so
// that each goes to the log as a change of its own.
bool ChangeBatch(int folder) {
  for (int n = 0; n < kChangesPerBatch; ++n) {
    std::string name = "Kelvor-log" + std::to_string(n) +
                       ".dat";  // a fill file's name: a later run deletes one a kill left
    int file = openat(folder, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (file < 0) return false;
    close(file);
    unlinkat(folder, name.c_str(), 0);
  }
  return syncfs(folder) == 0;
}

}  // namespace

void OverwriteJournal(DriveHold& drive, std::string_view folder_path) {
  Place place;
  if (LocateFolder(drive, ToNativeName(folder_path), &place) != kSuccess) return;
  Descriptor folder(openat(place.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct statfs volume;
  if (!folder.valid() || fstatfs(folder.get(), &volume) != 0 || volume.f_type != kXfsMagic) return;
  std::string head_file = HeadFileOf(folder.get());
  std::optional<LogPosition> start = ReadHead(head_file);
  if (!start) return;
  LogPosition round = {start->first + 1, start->second};  // the same block, one cycle on
  auto deadline = std::chrono::steady_clock::now() + kLongestOverwrite;
  while (std::chrono::steady_clock::now() < deadline && ChangeBatch(folder.get())) {
    std::optional<LogPosition> head = ReadHead(head_file);
    if (!head || *head >= round) return;
  }
}

}  // namespace kelvor::os
