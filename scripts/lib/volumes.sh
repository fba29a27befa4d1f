#!/usr/bin/env bash
# Size-limited volumes that the scripts and the test fixtures make and mount
# themselves. Sourced; changes nothing until a function is called. Programs
# that are no shell run it as a command: volumes.sh FUNCTION ARGUMENT...

# tmpfs_mount FOLDER SIZE: a tmpfs of SIZE (such as 64m) on FOLDER.
tmpfs_mount() {
  mkdir -p "$1"
  mount -t tmpfs -o "size=$2" kelvor-test "$1"
}

# ext4_image IMAGE SIZE_MIB [ROOT_PERCENT]: a fresh, empty ext4 filesystem in
# the file IMAGE, with 4 KiB blocks and no blocks kept for root (or that share).
ext4_image() {
  rm -f "$1"
  truncate -s "$2M" "$1"
  mkfs.ext4 -q -F -m "${3:-0}" -b 4096 "$1"
}

# ext4_mount SOURCE FOLDER: mounts an ext4 image (through a loop device) or a
# block device on FOLDER, and opens the pool of clusters (up to 16 MiB) that
# ext4 otherwise keeps from every program, root included, so that a wipe can
# reach every free block.
ext4_mount() {
  mkdir -p "$2"
  if [ -b "$1" ]; then mount "$1" "$2"; else mount -o loop "$1" "$2"; fi
  local device
  device=$(findmnt -n -o SOURCE "$2")
  echo 0 >"/sys/fs/ext4/${device#/dev/}/reserved_clusters"
}

# ntfs_image IMAGE SIZE_MIB: a fresh, empty NTFS filesystem in the file IMAGE.
ntfs_image() {
  rm -f "$1"
  truncate -s "$2M" "$1"
  mkntfs -q -F -f "$1" >/dev/null 2>&1
}

# ntfs_mount IMAGE FOLDER: mounts an NTFS image with ntfs-3g on FOLDER,
# through a loop device, so that unmounting waits until ntfs-3g has written
# everything. With the default options, as a server or /etc/fstab mounts
# it: every file shows as root's, mode 0777.
ntfs_mount() {
  mkdir -p "$2"
  mount -t ntfs-3g -o loop "$1" "$2"
}

# exfat_image IMAGE SIZE_MIB: a fresh, empty exFAT filesystem in IMAGE.
exfat_image() {
  rm -f "$1"
  truncate -s "$2M" "$1"
  mkfs.exfat "$1" >/dev/null
}

# exfat_mount IMAGE FOLDER: mounts it with exfat-fuse, which needs a block
# device (a loop device, freed again when it is unmounted), default options.
exfat_mount() {
  mkdir -p "$2"
  mount -t exfat-fuse -o loop "$1" "$2"
}

# fat_image IMAGE SIZE_MIB: a fresh, empty FAT32 filesystem in IMAGE.
fat_image() {
  rm -f "$1"
  truncate -s "$2M" "$1"
  mkfs.vfat -F 32 -s 8 "$1" >/dev/null  # 4 KiB clusters: fusefat counts free space only with those
}

# fat_mount IMAGE FOLDER: mounts it with fusefat (where the kernel has no
# vfat), writable, on a loop device as a block-device mount, so that
# unmounting waits until fusefat has written everything. The loop device
# goes once it is unmounted.
fat_mount() {
  mkdir -p "$2"
  local device
  device=$(losetup -f --show "$1")
  fusefat -o rw+,blkdev,fsname="$device" "$device" "$2" >/dev/null 2>&1
  losetup -d "$device"
}

# xfs_image IMAGE SIZE_MIB and btrfs_image IMAGE SIZE_MIB: fresh, empty
# filesystems with their tools' defaults; loop_mount IMAGE FOLDER [OPTIONS]
# (and xfs_mount, btrfs_mount) mounts one through a loop device.
xfs_image() {
  rm -f "$1"
  truncate -s "$2M" "$1"
  mkfs.xfs -q -f "$1"
}

btrfs_image() {
  rm -f "$1"
  truncate -s "$2M" "$1"
  mkfs.btrfs -q -f "$1" >/dev/null
}

loop_mount() {
  mkdir -p "$2"
  mount -o "loop${3:+,$3}" "$1" "$2"
}

xfs_mount() { loop_mount "$@"; }
btrfs_mount() { loop_mount "$@"; }

# btrfs_compressing_image and btrfs_compressing_mount: btrfs that compresses
# every file it can (compress-force), whatever a file's flags ask.
btrfs_compressing_image() { btrfs_image "$@"; }
btrfs_compressing_mount() { loop_mount "$1" "$2" compress-force=zstd; }

# unmount FOLDER: unmounts FOLDER if something is mounted there; a volume
# still in use goes as soon as it is no longer.
unmount() {
  if mountpoint -q "$1"; then umount "$1" 2>/dev/null || umount -l "$1"; fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  "$@"
fi
