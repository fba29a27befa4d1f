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
# everything. Its files are root's alone (umask 077): the Linux build works
# only in folders that nobody else may write.
ntfs_mount() {
  mkdir -p "$2"
  mount -t ntfs-3g -o loop,umask=077 "$1" "$2"
}

# unmount FOLDER: unmounts FOLDER if something is mounted there; a volume
# still in use goes as soon as it is no longer.
unmount() {
  if mountpoint -q "$1"; then umount "$1" 2>/dev/null || umount -l "$1"; fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  "$@"
fi
