#include <gtest/gtest.h>

#include "storage/storage_check.h"

namespace kelvor::storage {
namespace {

using os::Known;

constexpr std::uint64_t kMebibyte = 1 << 20;

// A plain volume that a wipe reaches whole: ext4 without a journal on a
// rotating disk, all of its free space this user's.
VolumeStorage PlainVolume() {
  VolumeStorage facts;
  facts.volume.filesystem = "ext4";
  facts.medium.kind = os::MediumKind::kRotational;
  facts.storage.free_bytes = facts.storage.free_to_this_user = 100 * kMebibyte;
  facts.storage.trims = Known::kNo;
  facts.storage.compresses = facts.storage.copies_on_write = facts.storage.snapshots =
      facts.storage.journal = Known::kNo;
  return facts;
}

// Each finding's opening words, in order.
std::vector<std::string> Openings(const VolumeStorage& facts,
                                  engine::WipeType type = engine::kAllOnes) {
  std::vector<std::string> openings;
  for (const std::string& finding : Findings(facts, type, true)) {
    openings.push_back(finding.substr(0, finding.find(':')));
  }
  return openings;
}

using OpeningList = std::vector<std::string>;

// What each kind of volume keeps out of a wipe's reach is one finding, and
// what the run does about it (trimming, the journal) depends on root's rights
// and, for the trim, on whether the run trims at all.
TEST(StorageFindings, EachThingAWipeDoesNotReachIsOneFinding) {
  EXPECT_TRUE(Findings(PlainVolume(), engine::kAllOnes, true).empty());

  VolumeStorage btrfs = PlainVolume();
  btrfs.volume.filesystem = "btrfs";
  btrfs.storage.compresses = btrfs.storage.copies_on_write = Known::kYes;
  btrfs.storage.compression = "compress-force=zstd:3";
  btrfs.storage.snapshots = Known::kUnknown;
  EXPECT_EQ(Openings(btrfs), (OpeningList{"btrfs compresses this volume (compress-force=zstd",
                                          "btrfs copies on write and may keep snapshots"}));
  btrfs.storage.snapshots = Known::kNo;  // every subvolume reached, none a snapshot
  EXPECT_EQ(Openings(btrfs).size(), 1u);
  btrfs.storage.snapshots = Known::kYes;
  btrfs.storage.snapshot_count = 2;
  EXPECT_EQ(Openings(btrfs).back(), "btrfs keeps 2 snapshots on this volume");

  VolumeStorage windows = PlainVolume();  // no program without administrator's rights may list them
  windows.volume.filesystem = "NTFS";
  windows.storage.snapshots = Known::kUnknown;
  EXPECT_EQ(Openings(windows),
            OpeningList{"Windows may keep shadow copies of this volume (System Restore)"});

  VolumeStorage unknown = PlainVolume();
  unknown.storage.compresses = Known::kUnknown;
  EXPECT_EQ(Openings(unknown).size(), 1u);
  EXPECT_TRUE(Openings(unknown, engine::kBinaryBlocks).empty());  // pseudo-random does not compress

  VolumeStorage ext4 = PlainVolume();
  ext4.storage.journal = Known::kYes;
  EXPECT_EQ(Findings(ext4, engine::kAllOnes, true)[0].find("zero it"), std::string::npos);
  ext4.storage.privileged = true;
  EXPECT_NE(Findings(ext4, engine::kAllOnes, true)[0].find("write it home and zero it"),
            std::string::npos);

  VolumeStorage flash = PlainVolume();
  flash.medium.kind = os::MediumKind::kSolidState;
  EXPECT_NE(Findings(flash, engine::kAllOnes, true)[0].find("it takes no TRIM"), std::string::npos);
  flash.medium.kind = os::MediumKind::kUnknown;
  flash.storage.trims = Known::kYes;
  EXPECT_NE(Findings(flash, engine::kAllOnes, true)[0].find("fstrim as root"), std::string::npos);
  flash.storage.privileged = true;
  EXPECT_NE(Findings(flash, engine::kAllOnes, true)[0].find("the run trims"), std::string::npos);
  EXPECT_NE(Findings(flash, engine::kAllOnes, false)[0].find("fstrim as root"), std::string::npos);
}

// Free space out of this user's reach is a finding with its size; ext4's
// own pool is one of its own, and root, who fills the root reserve, is told
// only of the pool.
TEST(StorageFindings, FreeSpaceThatNoFillReachesIsToldWithItsSize) {
  VolumeStorage user = PlainVolume();
  user.storage.free_to_this_user = 80 * kMebibyte;
  EXPECT_EQ(Findings(user, engine::kAllOnes, true),
            std::vector<std::string>{"20 MB of the free space are not this user's to fill (a "
                                     "reserve for root or the administrator, or a quota): they "
                                     "stay unwiped"});
  VolumeStorage root = PlainVolume();
  root.storage.kept_by_filesystem = 16 * kMebibyte;
  root.storage.free_to_this_user = 84 * kMebibyte;
  EXPECT_EQ(Openings(root), OpeningList{"ext4 keeps 16 MB of the free space for itself"});
  root.storage.free_to_this_user = 84 * kMebibyte - kMebibyte / 2;  // less than is worth telling
  EXPECT_EQ(Openings(root).size(), 1u);
}

// Under Wine the facts beneath the filesystem are the host's: one finding
// says so, in place of findings made of Wine's answers.
TEST(StorageFindings, UnderWineOneFindingSaysTheFactsAreTheHosts) {
  VolumeStorage wine = PlainVolume();
  wine.volume.filesystem = "NTFS";
  wine.medium.kind = os::MediumKind::kSolidState;
  wine.storage.compresses = wine.storage.snapshots = wine.storage.journal = Known::kUnknown;
  wine.storage.answered_by_wine = true;
  EXPECT_EQ(Openings(wine), OpeningList{"Under Wine the volume is the host's, and Wine does not "
                                        "tell its device, compression, snapshots or journal"});
}

}  // namespace
}  // namespace kelvor::storage
