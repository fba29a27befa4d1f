#include "storage/storage_check.h"

#include "text/number_text.h"

namespace kelvor::storage {
namespace {

using os::Known;

// Space that is not worth a finding: less than a megabyte.
constexpr std::uint64_t kLeastNotableBytes = 1 << 20;

std::string Megabytes(std::uint64_t bytes) {
  return text::NumberText(text::RoundToDecimals(bytes / text::kBytesPerMegabyte, 1)).substr(1) +
         " MB";
}

const char* KnownText(Known known, const char* yes, const char* no) {
  return known == Known::kYes ? yes : known == Known::kNo ? no : "unknown";
}

const char* MediumText(os::MediumKind kind) {
  return kind == os::MediumKind::kSolidState   ? "solid state"
         : kind == os::MediumKind::kRotational ? "rotational"
                                               : "unknown";
}

std::string FilesystemName(const VolumeStorage& facts) {
  return facts.volume.filesystem.empty() ? "The filesystem" : facts.volume.filesystem;
}

void AddMediumFindings(const VolumeStorage& facts, bool run_trims,
                       std::vector<std::string>* findings) {
  const os::StorageFacts& storage = facts.storage;
  std::string trimming =
      storage.privileged && run_trims
          ? "the run trims the free space after the deletion, so that the device may erase it"
          : "fstrim as root after the run tells the device which blocks are free";
  if (facts.medium.kind == os::MediumKind::kSolidState) {
    findings->push_back(
        "The device is solid state: it may keep old data in spare blocks that no file reaches; " +
        (storage.trims == Known::kNo ? std::string("it takes no TRIM") : trimming));
  } else if (facts.medium.kind == os::MediumKind::kUnknown && storage.trims == Known::kYes) {
    findings->push_back(
        "The device takes TRIM, so it may be flash or thinly provisioned and keep old data where "
        "no fill reaches; " +
        trimming);
  }
}

void AddSpaceFindings(const VolumeStorage& facts, std::vector<std::string>* findings) {
  const os::StorageFacts& storage = facts.storage;
  if (storage.kept_by_filesystem >= kLeastNotableBytes) {
    findings->push_back(FilesystemName(facts) + " keeps " + Megabytes(storage.kept_by_filesystem) +
                        " of the free space for itself: no program fills them, and they stay "
                        "unwiped");
  }
  std::uint64_t fillable = storage.free_to_this_user + storage.kept_by_filesystem;
  if (storage.free_bytes > fillable && storage.free_bytes - fillable >= kLeastNotableBytes) {
    findings->push_back(Megabytes(storage.free_bytes - fillable) +
                        " of the free space are not this user's to fill (a reserve for root or "
                        "the administrator, or a quota): they stay unwiped");
  }
}

void AddFilesystemFindings(const VolumeStorage& facts, engine::WipeType type,
                           std::vector<std::string>* findings) {
  const os::StorageFacts& storage = facts.storage;
  bool constant = type != engine::kBinaryBlocks;
  if (storage.compresses == Known::kYes) {
    std::string setting = storage.compression.empty() ? "" : " (" + storage.compression + ")";
    findings->push_back(FilesystemName(facts) + " compresses this volume" + setting +
                        ": the fill folder is made uncompressed, and the record's bytes stored "
                        "show what reached the disk; Blocks of Binary Data does not compress");
  } else if (storage.compresses == Known::kUnknown && constant) {
    findings->push_back(
        "Kelvor cannot tell whether this volume compresses: use Blocks of Binary Data, constant "
        "patterns would compress away");
  }
  if (storage.snapshots == Known::kYes) {
    bool one = storage.snapshot_count == 1;
    findings->push_back(FilesystemName(facts) + " keeps " + std::to_string(storage.snapshot_count) +
                        (one ? " snapshot on this volume: what it holds"
                             : " snapshots on this volume: what they hold") +
                        " is not free space, and no wipe of the free space reaches it");
  } else if (storage.copies_on_write == Known::kYes && storage.snapshots == Known::kUnknown) {
    findings->push_back(FilesystemName(facts) +
                        " copies on write and may keep snapshots: what a snapshot holds is not "
                        "free space, and no wipe of the free space reaches it");
  } else if (storage.snapshots == Known::kUnknown && facts.volume.filesystem == "NTFS") {
    findings->push_back(
        "Windows may keep shadow copies of this volume (System Restore): what they hold is not "
        "free space, and no wipe of the free space reaches it");
  }
  if (storage.journal == Known::kYes) {
    bool cleared = storage.privileged && facts.volume.filesystem == "ext4";
    findings->push_back(
        std::string("The journal may keep copies of recent metadata, such as names of deleted "
                    "files, where no fill reaches") +
        (cleared ? "; the run has ext4 write it home and zero it" : ""));
  }
}

}  // namespace

VolumeStorage QueryVolumeStorage(std::string_view drive_root) {
  return {os::QueryVolumeFacts(drive_root), os::QueryMediumFacts(drive_root),
          os::QueryStorageFacts(drive_root)};
}

std::vector<std::string> Findings(const VolumeStorage& facts, engine::WipeType type,
                                  bool run_trims) {
  std::vector<std::string> findings;
  if (facts.storage.answered_by_wine) {
    findings.push_back(
        "Under Wine the volume is the host's, and Wine does not tell its device, compression, "
        "snapshots or journal: the Linux build of Kelvor checks them");
  } else {
    AddMediumFindings(facts, run_trims, &findings);
    AddFilesystemFindings(facts, type, &findings);
  }
  AddSpaceFindings(facts, &findings);
  return findings;
}

std::vector<std::string> CheckLines(std::string_view drive_root, const VolumeStorage& facts,
                                    engine::WipeType type) {
  const os::StorageFacts& storage = facts.storage;
  std::string compression = KnownText(storage.compresses, "yes", "no");
  if (!storage.compression.empty()) compression += " (" + storage.compression + ")";
  std::vector<std::string> lines = {
      "drive: " + std::string(drive_root) + " (" + facts.volume.mount_point + ")",
      "filesystem: " + (facts.volume.filesystem.empty() ? "unknown" : facts.volume.filesystem),
      "size: " + Megabytes(facts.volume.size_bytes),
      "free: " + Megabytes(storage.free_bytes) + " in all, " +
          Megabytes(storage.free_to_this_user) + " to this user",
      std::string("medium: ") + MediumText(facts.medium.kind) +
          "; TRIM: " + KnownText(storage.trims, "yes", "no"),
      "compression: " + compression,
      std::string("copy-on-write: ") + KnownText(storage.copies_on_write, "yes", "no") +
          "; snapshots: " + KnownText(storage.snapshots, "yes", "none") +
          (storage.snapshots == Known::kYes ? " (" + std::to_string(storage.snapshot_count) + ")"
                                            : ""),
      std::string("journal: ") + KnownText(storage.journal, "yes", "no"),
      "cluster: " + std::to_string(storage.cluster_bytes) + " bytes",
      "largest file: " +
          (storage.largest_file == 0 ? std::string("no limit") : Megabytes(storage.largest_file)),
  };
  // What a run of its own would meet: one trims unless told not to.
  std::vector<std::string> findings = Findings(facts, type, true);
  if (findings.empty()) lines.push_back("findings: none");
  for (const std::string& finding : findings) lines.push_back("finding: " + finding);
  return lines;
}

}  // namespace kelvor::storage
