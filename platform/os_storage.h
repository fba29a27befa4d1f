// What a volume does with what is written to it, as far as the OS tells:
// where a fill of its free space reaches old data and where it cannot. For
// the storage check and the warnings at the start of a command-line run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvor::os {

// kUnknown where the OS does not tell, or where its answer is not to be
// trusted (Wine answers for the host's filesystem with made-up facts).
enum class Known { kUnknown, kNo, kYes };

inline constexpr std::uint64_t kFatLargestFile = 0xFFFFFFFFu;  // 4 GiB less one byte

struct StorageFacts {
  std::uint64_t free_bytes = 0;         // free in all, reserves included
  std::uint64_t free_to_this_user = 0;  // what this process may fill
  // Of the free space, what the filesystem keeps for itself, that no
  // program fills (ext4's reserved clusters).
  std::uint64_t kept_by_filesystem = 0;
  std::uint32_t cluster_bytes = 0;  // the unit the volume allocates in
  std::uint64_t largest_file = 0;   // 0: no limit below the volume's size
  Known trims = Known::kUnknown;    // the device takes TRIM (discards)
  Known compresses = Known::kUnknown;
  std::string compression;  // the setting, where it compresses: "compress-force=zstd:3"
  Known copies_on_write = Known::kUnknown;
  Known snapshots = Known::kUnknown;  // kUnknown: may keep snapshots, not all to be listed
  std::uint32_t snapshot_count = 0;   // those found, where snapshots is kYes
  Known journal = Known::kUnknown;    // a journal (or log) of metadata
  bool answered_by_wine = false;      // the facts are Wine's, not the volume's
  // Linux: root, whose runs trim the free space and have ext4's journal
  // written home and zeroed.
  bool privileged = false;
};
StorageFacts QueryStorageFacts(std::string_view drive_root);

}  // namespace kelvor::os
